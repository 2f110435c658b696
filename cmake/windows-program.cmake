# The Windows program: tavolin.exe and the same file as tavolin.scr, the name
# Windows expects of a screen saver, with its resources, and the release archive.
enable_language(RC)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(TAVOLIN_ARCH x64)
else()
    set(TAVOLIN_ARCH x86)
endif()

configure_file(src/app/version.h.in ${CMAKE_CURRENT_BINARY_DIR}/generated/version.h @ONLY)

# Everything but the system DLLs is linked in, so the one file runs anywhere.
# Size: unused sections are dropped and symbols stripped; the code throws and
# catches nothing, so it is built without exception and type tables. The
# benchmark's floor programs are built the same way.
function(tavolin_lean_program target)
    if(MINGW)
        target_compile_options(${target} PRIVATE
            $<$<COMPILE_LANGUAGE:CXX>:-ffunction-sections -fdata-sections -fno-exceptions -fno-rtti>)
        target_link_options(${target} PRIVATE -static -s -Wl,--gc-sections)
    endif()
endfunction()

add_executable(tavolin WIN32 ${TAVOLIN_SOURCES} src/app/tavolin.rc)
target_include_directories(tavolin PRIVATE src src/app ${CMAKE_CURRENT_BINARY_DIR}/generated)
tavolin_warnings(tavolin)
tavolin_lean_program(tavolin)

if(MINGW)
    # Reproducible: no link time stamp, and no build folder in the output.
    target_compile_options(tavolin PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.>)
    target_link_options(tavolin PRIVATE -Wl,--no-insert-timestamp)
elseif(MSVC)
    # The manifest comes from the resource script; the linker must not add its own.
    target_link_options(tavolin PRIVATE /MANIFEST:NO /BREPRO)
    target_compile_options(tavolin PRIVATE $<$<COMPILE_LANGUAGE:CXX>:/Brepro>)
endif()

add_custom_command(TARGET tavolin POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:tavolin> $<TARGET_FILE_DIR:tavolin>/tavolin.scr
    COMMENT "Copying tavolin.exe to tavolin.scr")

# A Win32 helper the end-to-end tests run beside the saver; never shipped.
add_executable(tavolin_probe WIN32 tests/e2e/probe.cpp)
tavolin_warnings(tavolin_probe)
if(MINGW)
    target_link_options(tavolin_probe PRIVATE -static)
endif()

# The release archive holds both savers, so it is made from the 32-bit build once
# the 64-bit one is built beside it: cpack in build/windows-x86.
install(FILES $<TARGET_FILE_DIR:tavolin>/tavolin.scr DESTINATION . RENAME tavolin-${TAVOLIN_ARCH}.scr)
if(TAVOLIN_ARCH STREQUAL x86)
    set(TAVOLIN_X64_SCR ${CMAKE_SOURCE_DIR}/build/windows-x64/tavolin.scr CACHE FILEPATH
        "The 64-bit saver the release archive carries beside this one")
    install(FILES ${TAVOLIN_X64_SCR} DESTINATION . RENAME tavolin-x64.scr)
endif()
install(FILES README.md LICENSE DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME tavolin-${PROJECT_VERSION}-windows)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
