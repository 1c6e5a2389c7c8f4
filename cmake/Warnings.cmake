# Warnings every target of ours gets; CI turns them into errors. -Wnull-dereference stays off:
# at -O2 GCC 12 reports it inside inlined Qt headers for code that cannot be null.
add_library(ovantic_warnings INTERFACE)
target_compile_options(ovantic_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
  -Woverloaded-virtual -Wconversion -Wsign-conversion -Wdouble-promotion
  -Wformat=2 -Wimplicit-fallthrough
  # GCC 12 misreports std::string concatenation at -O2 (its bug 105329).
  -Wno-restrict)
if(OVANTIC_WERROR)
  target_compile_options(ovantic_warnings INTERFACE -Werror)
endif()
