# The code that makes up Halvo.exe returns plain values and never throws, so
# it is compiled without exceptions: then nothing in the program refers to the
# C++ run-time's throwing and unwinding machinery, and the static linker
# leaves it out (most of the program's size otherwise). Code built this way
# must not allocate through operator new either, whose failure throws.
function(halvo_without_exceptions target)
  target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU,Clang>:-fno-exceptions>)
endfunction()
