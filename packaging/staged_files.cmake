# Run by cpack between staging the files and packing them. dpkg and rpm make the installed
# folders with the modes they have in the package, and cpack stages them with the umask of
# whoever runs it: under 077 the read-me's folder would be closed to every user but root.
file(GLOB_RECURSE staged LIST_DIRECTORIES true "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
set(folders "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
foreach(path IN LISTS staged)
    if(IS_DIRECTORY "${path}" AND NOT IS_SYMLINK "${path}")
        list(APPEND folders "${path}")
    endif()
endforeach()
file(CHMOD ${folders} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE)
# dpkg-deb dates every member with SOURCE_DATE_EPOCH, but rpmbuild only clamps times later than
# it, so a file checked out before the commit's time would keep its own date in the RPM.
execute_process(COMMAND touch -h -d "@$ENV{SOURCE_DATE_EPOCH}" ${staged}
                COMMAND_ERROR_IS_FATAL ANY)
