# velmoran_add_test(name source...): one GoogleTest program, built for the platform at hand
# and registered with CTest (the Windows build runs it under Wine through the emulator).
include(GoogleTest)
function(velmoran_add_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE velmoran_test_support velmoran_launcher rawlayer
                                          GTest::gtest_main)
    if(CMAKE_CROSSCOMPILING)
        # Listing the tests would need Wine at build time: one CTest test per program.
        add_test(NAME ${name} COMMAND ${name})
    else()
        # One CTest test per GoogleTest test, so that ctest -R picks a single behaviour.
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
    endif()
endfunction()
