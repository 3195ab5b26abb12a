// Windows cursor files (.cur): being written.
#pragma once
