# embed_binary_file(INPUT OUTPUT SYMBOL): writes a .cpp that defines
# `extern const unsigned char SYMBOL[]` and `SYMBOL_size` from a binary file.
function(embed_binary_file input output symbol)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${input})
  file(READ ${input} hex HEX)
  string(LENGTH "${hex}" hex_len)
  math(EXPR size "${hex_len} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){16})" "\\1\n  " bytes "${bytes}")
  file(WRITE ${output}.tmp
    "// Generated from ${input}; do not edit.\n#include <cstddef>\n\n"
    "extern const unsigned char ${symbol}[] = {\n  ${bytes}\n};\n"
    "extern const std::size_t ${symbol}_size = ${size};\n")
  file(COPY_FILE ${output}.tmp ${output} ONLY_IF_DIFFERENT)
endfunction()
