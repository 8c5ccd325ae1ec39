# Compiler and linker settings shared by every target: Unicode Win32, small code, static
# runtime so that the programs need nothing beyond the system DLLs.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
add_compile_options(-Wall -Wextra -Os -ffunction-sections -fdata-sections)
include_directories(${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)
add_link_options(-s -static -static-libgcc -static-libstdc++ -Wl,--gc-sections -Wl,--dynamicbase -Wl,--nxcompat)

# A Windows GUI program (no console window).
function(setup_gui_program target)
  target_link_options(${target} PRIVATE -mwindows -municode)
endfunction()
