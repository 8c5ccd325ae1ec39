# Crypto++ as cross-built by scripts/install-deps. Our files that include its headers must
# be compiled with the very macros the library was built with, so they are read back here.
set(_cryptopp_prefix "${SETUP_DEPS_DIR}/${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32")
if(NOT EXISTS "${_cryptopp_prefix}/lib/libcryptopp.a")
  message(FATAL_ERROR "Crypto++ for mingw is missing in ${_cryptopp_prefix}: run scripts/install-deps")
endif()
file(READ "${_cryptopp_prefix}/cryptopp.flags" _cryptopp_flags)
separate_arguments(_cryptopp_flags UNIX_COMMAND "${_cryptopp_flags}")

add_library(cryptopp STATIC IMPORTED GLOBAL)
set_target_properties(cryptopp PROPERTIES
  IMPORTED_LOCATION "${_cryptopp_prefix}/lib/libcryptopp.a"
  INTERFACE_INCLUDE_DIRECTORIES "${_cryptopp_prefix}/include"
  INTERFACE_COMPILE_OPTIONS "${_cryptopp_flags}")
