# Compiler and linker settings shared by every target: Unicode Win32, small code, static
# runtime so that the programs need nothing beyond the system DLLs.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
add_compile_options(-Wall -Wextra -Os -ffunction-sections -fdata-sections)
include_directories(${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)
add_link_options(-s -static -static-libgcc -static-libstdc++ -Wl,--gc-sections -Wl,--dynamicbase -Wl,--nxcompat)

# Hardening. Stack canaries on every function with arrays or address-taken locals, and the
# checked variants of the string and memory functions where the compiler knows the sizes
# (needs optimisation, which every build type here has); both come from libssp, linked
# statically by -static like the rest of the runtime. Address-space layout randomisation
# needs the relocations that --dynamicbase keeps; 64-bit programs also get the high-entropy
# (above 4 GiB) layout.
add_compile_options(-fstack-protector-strong)
add_compile_definitions(_FORTIFY_SOURCE=2)
add_link_options(-fstack-protector-strong)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  add_link_options(-Wl,--high-entropy-va)
endif()

# A Windows GUI program (no console window).
function(setup_gui_program target)
  target_link_options(${target} PRIVATE -mwindows -municode)
endfunction()
