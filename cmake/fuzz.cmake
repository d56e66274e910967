# libFuzzer build (clang): every library is compiled with coverage for the fuzzer and with the
# sanitizers; only the fuzz targets link the fuzzer's main. The standard library's own checks
# are on, so an index outside a vector stops the run even where it stays inside the allocation.
# Line tables are all the sanitizers' reports need for their file:line, at less
# compile time than full debug information.
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
foreach(lang C CXX)
  string(REGEX REPLACE "(^| )-g( |$)" "\\1-gline-tables-only\\2" CMAKE_${lang}_FLAGS_RELWITHDEBINFO "${CMAKE_${lang}_FLAGS_RELWITHDEBINFO}")
endforeach()
add_link_options(-fsanitize=address,undefined)
add_compile_definitions(_GLIBCXX_ASSERTIONS)
