# The release: Velmoran.exe and its read-me in one zip.
set(readMe ${CMAKE_CURRENT_SOURCE_DIR}/resources/ReadMe_Velmoran.txt)
add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/Velmoran.zip
    COMMAND ${CMAKE_COMMAND} -E copy ${readMe} $<TARGET_FILE_DIR:Velmoran>/ReadMe_Velmoran.txt
    COMMAND ${CMAKE_COMMAND} -E chdir $<TARGET_FILE_DIR:Velmoran>
            ${CMAKE_COMMAND} -E tar cf ${CMAKE_BINARY_DIR}/Velmoran.zip --format=zip
            Velmoran.exe ReadMe_Velmoran.txt
    DEPENDS Velmoran ${readMe}
    VERBATIM)
add_custom_target(release DEPENDS ${CMAKE_BINARY_DIR}/Velmoran.zip)
