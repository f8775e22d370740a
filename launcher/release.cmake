# The release: Velmoran.exe and its read-me in one zip named with the version, the same bytes
# from every build of the same commit.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(versionHeader ${CMAKE_CURRENT_BINARY_DIR}/resources/velmoran_version.h)
configure_file(resources/velmoran_version.h.in ${versionHeader} @ONLY)
target_include_directories(Velmoran PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/resources)
set_property(SOURCE resources/velmoran.rc APPEND PROPERTY OBJECT_DEPENDS ${versionHeader})

set(readMe ${CMAKE_CURRENT_SOURCE_DIR}/resources/ReadMe_Velmoran.txt)
set(zipWriter ${PROJECT_SOURCE_DIR}/cmake/reproducible_zip.py)
set(zip ${CMAKE_BINARY_DIR}/Velmoran-${VELMORAN_RELEASE_VERSION}.zip)
add_custom_command(
    OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E copy ${readMe} $<TARGET_FILE_DIR:Velmoran>/ReadMe_Velmoran.txt
    COMMAND ${Python3_EXECUTABLE} ${zipWriter} ${zip} ${VELMORAN_SOURCE_DATE_EPOCH}
            $<TARGET_FILE:Velmoran> $<TARGET_FILE_DIR:Velmoran>/ReadMe_Velmoran.txt
    DEPENDS Velmoran ${readMe} ${zipWriter}
    VERBATIM)
add_custom_target(release DEPENDS ${zip})

# The signed release: the same zip around the signed copy of the program that release.sh puts
# into signed/, so that it differs from the unsigned zip in the program's signature alone.
set(signedFolder ${CMAKE_BINARY_DIR}/signed)
get_filename_component(zipName ${zip} NAME)
add_custom_command(
    OUTPUT ${signedFolder}/${zipName}
    COMMAND ${Python3_EXECUTABLE} ${zipWriter} ${signedFolder}/${zipName}
            ${VELMORAN_SOURCE_DATE_EPOCH} ${signedFolder}/Velmoran.exe ${readMe}
    DEPENDS ${signedFolder}/Velmoran.exe ${readMe} ${zipWriter}
    VERBATIM)
add_custom_target(signed_release DEPENDS ${signedFolder}/${zipName})
