# Makes dist/coursesmith-cli-VERSION-windows-x86_64.zip: the command-line tool for Windows,
# a README for Windows users (the command-line part of README.md under a short preface) and
# the license, text files with Windows line ends. Run by the windows_package target:
#   cmake -DVERSION=... -DCLI=coursesmith-cli.exe -DSOURCE=tree -DWORK=scratch -DOUT=dist -P this
foreach(variable VERSION CLI SOURCE WORK OUT)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "windows-package.cmake: ${variable} is not set")
  endif()
endforeach()

set(name coursesmith-cli-${VERSION}-windows-x86_64)
set(folder ${WORK}/${name})
file(REMOVE_RECURSE ${folder})
file(MAKE_DIRECTORY ${folder} ${OUT})

# The "## Command line" section of README.md, up to the next section.
file(READ ${SOURCE}/README.md readme)
string(FIND "${readme}" "\n## Command line\n" start)
if(start EQUAL -1)
  message(FATAL_ERROR "README.md has no \"## Command line\" section")
endif()
math(EXPR start "${start} + 1")
string(SUBSTRING "${readme}" ${start} -1 section)
string(FIND "${section}" "\n## " end)
if(NOT end EQUAL -1)
  string(SUBSTRING "${section}" 0 ${end} section)
endif()
string(STRIP "${section}" section)

set(text "CourseSmith command-line tool ${VERSION} for Windows (64-bit)

coursesmith-cli.exe reads, checks, converts and renders track files of the racing game
Tyrestorm. It is a console program: run it from Command Prompt or PowerShell. It needs no
installation and no other file; put it in a folder on your PATH, or call it by its full
name.

File names may use \\ or /, may hold any characters and may be longer than 260
characters. An output named - is standard output, and NUL takes the bytes and keeps none.
A file whose read-only attribute is set is refused; a replaced file keeps its attributes.

The desktop editor is not part of this package.

${section}
")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${folder}/README.txt "${text}")
file(READ ${SOURCE}/LICENSE license)
string(REPLACE "\n" "\r\n" license "${license}")
file(WRITE ${folder}/LICENSE.txt "${license}")
file(COPY ${CLI} DESTINATION ${folder})

set(zip ${OUT}/${name}.zip)
file(REMOVE ${zip})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip
          ${name}/coursesmith-cli.exe ${name}/README.txt ${name}/LICENSE.txt
  WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "the zip file could not be made")
endif()
message(STATUS "Wrote ${zip}")
