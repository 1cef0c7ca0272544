# KORVEL_SANITIZE builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer; the first report ends the process, so a test
# that provokes one fails. KORVEL_FUZZ (clang only) adds the libFuzzer
# targets of fuzz/, named *_fuzz, and instruments the code they drive for
# coverage; it implies KORVEL_SANITIZE.
option(KORVEL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(KORVEL_FUZZ "Build the libFuzzer targets (clang only; implies KORVEL_SANITIZE)" OFF)

if(KORVEL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "KORVEL_FUZZ needs clang: configure with -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++")
  endif()
  set(KORVEL_SANITIZE ON)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

set(KORVEL_SANITIZER_ENVIRONMENT "")
if(KORVEL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  # The standard library checks its own preconditions too (an index within a
  # string, front() of a non-empty one), which the sanitizers cannot see.
  add_compile_definitions(_GLIBCXX_ASSERTIONS)
  add_link_options(-fsanitize=address,undefined)
  # Programs the tests start inherit these through the environment.
  set(KORVEL_SANITIZER_ENVIRONMENT
      "ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
      "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1")
endif()
