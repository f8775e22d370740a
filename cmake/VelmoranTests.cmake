# velmoran_add_test(name source...): one GoogleTest program, built for the platform at hand
# and registered with CTest (the Windows build runs it under Wine through the emulator).
function(velmoran_add_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE velmoran_test_support velmoran_launcher rawlayer
                                          GTest::gtest_main)
    add_test(NAME ${name} COMMAND ${name})
endfunction()
