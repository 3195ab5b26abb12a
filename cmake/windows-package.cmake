# Makes the Windows downloads in OUT (dist/), run by the windows_package target:
#   cmake -DVERSION=... -DCLI=coursesmith-cli.exe -DEDITOR=coursesmith.exe -DSOURCE=tree
#         -DWORK=scratch -DOUT=dist -P this
# - coursesmith-cli-VERSION-windows-x86_64.zip: the command-line tool alone, a README for
#   Windows users (the command-line part of README.md under a short preface), the license and
#   the notices of the third-party code the statically linked programs hold (written by
#   scripts/windows-notices.sh from the build machine's Debian copyright files);
# - coursesmith-VERSION-windows-x86_64.zip: the editor and the tool in a folder that needs no
#   installation, with a README, the license and the notices;
# - coursesmith-VERSION-windows-x86_64-setup.exe: the same files installed for the current
#   user by an NSIS installer (cmake/windows/installer.nsi, built by makensis).
# Text files get Windows line ends.
foreach(variable VERSION CLI EDITOR SOURCE WORK OUT)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "windows-package.cmake: ${variable} is not set")
  endif()
endforeach()
file(MAKE_DIRECTORY ${OUT})

# The "## Command line" section of README.md, up to the next section.
file(READ ${SOURCE}/README.md readme)
string(FIND "${readme}" "\n## Command line\n" start)
if(start EQUAL -1)
  message(FATAL_ERROR "README.md has no \"## Command line\" section")
endif()
math(EXPR start "${start} + 1")
string(SUBSTRING "${readme}" ${start} -1 command_line)
string(FIND "${command_line}" "\n## " end)
if(NOT end EQUAL -1)
  string(SUBSTRING "${command_line}" 0 ${end} command_line)
endif()
string(STRIP "${command_line}" command_line)

# How the tool takes Windows file names, for both READMEs.
set(file_names "File names may use \\ or /, may hold any characters and may be longer than 260
characters. An output named - is standard output, and NUL takes the bytes and keeps none.
A file whose read-only attribute is set is refused; a replaced file keeps its attributes.")

# Writes TEXT to PATH with Windows line ends.
function(write_crlf path text)
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${path} "${text}")
endfunction()

# Writes OUT/NAME.zip holding the folder NAME with FILES (names in that folder).
function(write_zip name)
  set(zip ${OUT}/${name}.zip)
  list(TRANSFORM ARGN PREPEND ${name}/ OUTPUT_VARIABLE members)
  file(REMOVE ${zip})
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${members}
    WORKING_DIRECTORY ${WORK}
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${zip} could not be made")
  endif()
  message(STATUS "Wrote ${zip}")
endfunction()

# The notices, from the copyright files of the packages the programs were built from.
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND sh ${SOURCE}/scripts/windows-notices.sh ${WORK}/THIRD-PARTY-NOTICES.txt
                RESULT_VARIABLE notices_result OUTPUT_QUIET)
if(NOT notices_result EQUAL 0)
  message(FATAL_ERROR "scripts/windows-notices.sh failed")
endif()

# Starts WORK/NAME afresh with LICENSE.txt and THIRD-PARTY-NOTICES.txt in it.
function(start_folder name)
  set(folder ${WORK}/${name})
  file(REMOVE_RECURSE ${folder})
  file(MAKE_DIRECTORY ${folder})
  file(READ ${SOURCE}/LICENSE license)
  write_crlf(${folder}/LICENSE.txt "${license}")
  file(READ ${WORK}/THIRD-PARTY-NOTICES.txt notices)
  write_crlf(${folder}/THIRD-PARTY-NOTICES.txt "${notices}")
endfunction()

# The command-line tool alone.
set(name coursesmith-cli-${VERSION}-windows-x86_64)
start_folder(${name})
write_crlf(${WORK}/${name}/README.txt "CourseSmith command-line tool ${VERSION} for Windows (64-bit)

coursesmith-cli.exe reads, checks, converts and renders track files of the racing game
Tyrestorm. It is a console program: run it from Command Prompt or PowerShell. It needs no
installation and no other file; put it in a folder on your PATH, or call it by its full
name.

${file_names}

The desktop editor is not part of this package: it comes in coursesmith-${VERSION}-windows-x86_64.zip
and in the installer coursesmith-${VERSION}-windows-x86_64-setup.exe.

${command_line}
")
file(COPY ${CLI} DESTINATION ${WORK}/${name})
write_zip(${name} coursesmith-cli.exe README.txt LICENSE.txt THIRD-PARTY-NOTICES.txt)

# The editor and the tool: the portable folder, whose files the installer installs too.
set(name coursesmith-${VERSION}-windows-x86_64)
start_folder(${name})
set(folder ${WORK}/${name})
write_crlf(${folder}/README.txt "CourseSmith ${VERSION} for Windows (64-bit)

CourseSmith is the track editor of the top-down racing game Tyrestorm: paint surfaces on the
land map, shape the height grid, place start positions, scenery, pits and checkpoints, lay
the AI driving lines, check the track for flaws and save the .trk files the game reads.

The files

  coursesmith.exe       the editor: start it, or open a .trk file with it
  coursesmith-cli.exe   the command-line tool (below): run it from Command Prompt or
                        PowerShell
  README.txt            this file
  LICENSE.txt           the license
  THIRD-PARTY-NOTICES.txt
                        the licenses of the third-party code the programs hold
  uninstall.exe         only where the installer put the program: removes it

Installing

The zip (coursesmith-${VERSION}-windows-x86_64.zip) needs no installation: unpack its folder
anywhere, a USB stick included, and start coursesmith.exe; delete the folder to remove it.
The installer (coursesmith-${VERSION}-windows-x86_64-setup.exe) needs no administrator rights:
it installs for you alone into %LOCALAPPDATA%\\Programs\\CourseSmith (or a folder you choose),
adds CourseSmith to the Start menu, makes .trk files open in the editor with a track icon, and
is removed under Settings > Apps (or Control Panel > Programs and Features). Its registry keys
are all under HKEY_CURRENT_USER: Software\\Classes\\.trk, Software\\Classes\\CourseSmith.Track
and Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\CourseSmith. \"setup.exe /S\"
installs without a question (\"/D=FOLDER\", last, chooses the folder) and
\"uninstall.exe /S\" removes it likewise. Uninstalling removes only the files it installed.
While CourseSmith runs from the folder, both stop with a message and change nothing.

What the programs write

Tracks, pictures and bitmaps are written only where you save them. While a track has unsaved
changes the editor keeps a recovery copy of it in %LOCALAPPDATA%\\coursesmith\\recovery, with a
record of the track's file name beside it; the copy goes when the track is saved, when its
changes are discarded and when the editor ends normally, and after a crash the next start
offers to restore it. Nothing else is written outside the program's folder: no settings and
no registry entries (beyond the installer's, above).

The command-line tool

coursesmith-cli.exe is a console program: run it from Command Prompt or PowerShell.
${file_names}

${command_line}
")
file(COPY ${EDITOR} ${CLI} DESTINATION ${folder})
write_zip(${name} coursesmith.exe coursesmith-cli.exe README.txt LICENSE.txt
          THIRD-PARTY-NOTICES.txt)

# The installer of the same files.
find_program(MAKENSIS makensis)
if(NOT MAKENSIS)
  message(FATAL_ERROR "makensis is missing: install the Debian package nsis "
                      "(scripts/install-deps.sh does)")
endif()
set(setup ${OUT}/${name}-setup.exe)
file(REMOVE ${setup})
execute_process(
  COMMAND ${MAKENSIS} -V2 -DVERSION=${VERSION} -DEDITOR=${folder}/coursesmith.exe
          -DCLI=${folder}/coursesmith-cli.exe -DREADME=${folder}/README.txt
          -DLICENSE=${folder}/LICENSE.txt -DNOTICES=${folder}/THIRD-PARTY-NOTICES.txt
          -DICON=${SOURCE}/desktop/icons/windows/coursesmith.ico -DOUTFILE=${setup}
          ${SOURCE}/cmake/windows/installer.nsi
  RESULT_VARIABLE failed)
if(failed)
  file(REMOVE ${setup})
  message(FATAL_ERROR "${setup} could not be made")
endif()
message(STATUS "Wrote ${setup}")
