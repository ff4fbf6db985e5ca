# Every project target links this to share one set of warning flags.
add_library(zorlith_warnings INTERFACE)
target_compile_options(zorlith_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow
  -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual
  $<$<BOOL:${ZORLITH_WERROR}>:-Werror>)
