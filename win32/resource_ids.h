// The program's resources (win32/coursesmith.rc), shared by the resource script and the code.
#pragma once

#define program_icon_resource 1
#define track_icon_resource 2
#define editor_cursor_resource 1
