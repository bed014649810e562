# Compiler settings shared by every target of the project.
add_library(quillo_options INTERFACE)
target_compile_options(quillo_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
  -Wcast-align -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough)
if(QUILLO_WERROR)
  target_compile_options(quillo_options INTERFACE -Werror)
endif()
if(QUILLO_SANITIZE)
  set(_san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_compile_options(quillo_options INTERFACE ${_san})
  target_link_options(quillo_options INTERFACE ${_san})
endif()
if(QUILLO_TSAN)
  if(QUILLO_SANITIZE)
    message(FATAL_ERROR "ThreadSanitizer cannot be combined with AddressSanitizer")
  endif()
  set(_tsan -fsanitize=thread -fno-omit-frame-pointer)
  target_compile_options(quillo_options INTERFACE ${_tsan})
  target_link_options(quillo_options INTERFACE ${_tsan})
endif()
if(QUILLO_FUZZ)
  # The whole core is instrumented for coverage; only the fuzz targets link libFuzzer's main.
  target_compile_options(quillo_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined
    -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(quillo_options INTERFACE -fsanitize=address,undefined)
endif()
