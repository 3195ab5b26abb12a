# Run by CPack on its staging tree before it makes the package (CPACK_PRE_BUILD_SCRIPTS):
# every directory 0755, whatever the umask made them, as Debian requires.
file(GLOB_RECURSE entries LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
set(directories "${CPACK_TEMPORARY_DIRECTORY}")
foreach(entry IN LISTS entries)
  if(IS_DIRECTORY "${entry}" AND NOT IS_SYMLINK "${entry}")
    list(APPEND directories "${entry}")
  endif()
endforeach()
file(CHMOD ${directories} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
     GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
