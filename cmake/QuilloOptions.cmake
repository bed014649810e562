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
