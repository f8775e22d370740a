# What a release is named and stamped with comes from the commit alone, never from the machine,
# the folder or the moment of the build, so that anyone can rebuild a release byte for byte and
# compare. Sets:
#   VELMORAN_RELEASE_VERSION          the version tag on the commit (v1.2.3 gives 1.2.3), else
#                                     the project version; release file names carry it
#   VELMORAN_RELEASE_VERSION_NUMBERS  its first four numbers, as "1,2,3,0" for a version resource
#   VELMORAN_SOURCE_DATE_EPOCH        SOURCE_DATE_EPOCH from the environment, else the commit's
#                                     time, else 0
# and, for the shipped program and the native build that the Debian package comes from, leaves
# build paths and the clock out of what the tools write.

find_package(Git QUIET)
set(commitTime "")
set(versionTag "")
set(gitStateFiles "")
if(GIT_EXECUTABLE)
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --show-toplevel
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE gitTop OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE gitStatus ERROR_QUIET)
    # A source tree unpacked inside some other checkout must not take that checkout's commit.
    file(REAL_PATH "${PROJECT_SOURCE_DIR}" sourceTop)
    if(gitStatus EQUAL 0 AND gitTop STREQUAL sourceTop)
        execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                        OUTPUT_VARIABLE commitTime OUTPUT_STRIP_TRAILING_WHITESPACE)
        execute_process(COMMAND ${GIT_EXECUTABLE} describe --tags --exact-match
                                --match "v[0-9]*" --match "[0-9]*"
                        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                        OUTPUT_VARIABLE versionTag OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        # What moves when a commit is made or checked out, or a tag is set.
        foreach(gitFile HEAD logs/HEAD packed-refs refs/tags)
            execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --path-format=absolute
                                    --git-path ${gitFile}
                            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                            OUTPUT_VARIABLE gitPath OUTPUT_STRIP_TRAILING_WHITESPACE)
            if(EXISTS "${gitPath}")
                list(APPEND gitStateFiles "${gitPath}")
            endif()
        endforeach()
    endif()
endif()

if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(VELMORAN_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
elseif(commitTime)
    set(VELMORAN_SOURCE_DATE_EPOCH "${commitTime}")
else()
    # Still the same bytes from every build, only with no date: a zero PE stamp, and zip entries
    # at the earliest time a zip can hold.
    message(STATUS "No commit and no SOURCE_DATE_EPOCH: the release carries no date")
    set(VELMORAN_SOURCE_DATE_EPOCH 0)
endif()
if(NOT VELMORAN_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH is \"${VELMORAN_SOURCE_DATE_EPOCH}\", not seconds")
endif()

if(versionTag)
    set(VELMORAN_RELEASE_VERSION "${versionTag}")
    string(REGEX REPLACE "^v" "" VELMORAN_RELEASE_VERSION "${VELMORAN_RELEASE_VERSION}")
else()
    set(VELMORAN_RELEASE_VERSION "${PROJECT_VERSION}")
endif()
# One to four numbers, and after a hyphen a label of letters, digits and dots (1.2.3-rc1).
set(numberPattern "(0|[1-9][0-9]?[0-9]?[0-9]?[0-9]?)")
set(laterNumber "(\\.${numberPattern})?")
if(NOT VELMORAN_RELEASE_VERSION MATCHES
   "^${numberPattern}${laterNumber}${laterNumber}${laterNumber}(-[0-9A-Za-z.]+)?$")
    message(FATAL_ERROR "The tag ${versionTag} is not a version such as v1.2.3 or v1.2.3-rc1")
endif()
set(versionNumbers "")
foreach(group 1 3 5 7)
    if("${CMAKE_MATCH_${group}}" STREQUAL "")
        list(APPEND versionNumbers 0)
    elseif(CMAKE_MATCH_${group} GREATER 65535)
        message(FATAL_ERROR "${VELMORAN_RELEASE_VERSION}: a version number fits in 16 bits")
    else()
        list(APPEND versionNumbers ${CMAKE_MATCH_${group}})
    endif()
endforeach()
string(REPLACE ";" "," VELMORAN_RELEASE_VERSION_NUMBERS "${versionNumbers}")

# velmoran_build_reproducibly(): for the targets of the calling folder and below, what the
# compiler and linker write depends on the sources alone.
macro(velmoran_build_reproducibly)
    # A new commit, checkout or tag configures again, so a stale name or date never ships.
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND
                 PROPERTY CMAKE_CONFIGURE_DEPENDS ${gitStateFiles})
    # File names that reach the output (__FILE__, debug information) are relative to the
    # source and build folders, whatever those are called.
    add_compile_options("-ffile-prefix-map=${PROJECT_SOURCE_DIR}/="
                        "-ffile-prefix-map=${PROJECT_BINARY_DIR}/=" -Wdate-time)
    # The linker stamps a PE header with SOURCE_DATE_EPOCH when it is set, else with the clock.
    foreach(lang C CXX)
        set(CMAKE_${lang}_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env
                                          SOURCE_DATE_EPOCH=${VELMORAN_SOURCE_DATE_EPOCH})
    endforeach()
endmacro()

if(VELMORAN_SHIPPED OR NOT WIN32)
    velmoran_build_reproducibly()
endif()
