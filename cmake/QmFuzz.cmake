# The fuzz configuration (-DQM_FUZZ=ON, clang): every library is built with coverage
# instrumentation and AddressSanitizer/UndefinedBehaviorSanitizer, so that a fuzz target sees
# and watches the code it drives, not just its own harness. The targets add -fsanitize=fuzzer
# when they link, which brings libFuzzer's main.
if(NOT QM_FUZZ)
  return()
endif()
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(WARNING "QM_FUZZ needs clang (CC=clang CXX=clang++); the fuzz targets are skipped")
  return()
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
