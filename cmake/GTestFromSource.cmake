# GoogleTest built from its source with this build's compiler (Debian's googletest package puts
# it in /usr/src/googletest), for a build whose host has no installed GoogleTest of its own: the
# cross build for Windows. Its own build gives the targets of find_package(GTest): GTest::gtest and
# GTest::gtest_main.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${TAVREL_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
