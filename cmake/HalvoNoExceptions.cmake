# The code that makes up Halvo.exe returns plain values and never throws, so
# it is compiled without exceptions: then nothing in the program refers to the
# C++ run-time's throwing and unwinding machinery, and the static linker
# leaves it out (most of the program's size otherwise). Code built this way
# must not allocate through operator new either, whose failure throws.
#
# On Windows, where Halvo.exe's size counts, it is built smaller still:
#   - without RTTI: nothing in it asks a type at run time, and its classes'
#     type_info objects would bring in the run-time's code that walks them.
#     A class derived from one of its polymorphic classes must be built so too
#     (halvo_platform passes this on to whatever links it);
#   - for i686, without unwind tables (.eh_frame), which only exceptions and
#     debuggers read; x86_64 Windows keeps its own unwind data, which its ABI
#     requires of every function;
#   - in a release, with -Oz, which GCC and Clang take as size before speed.
function(halvo_without_exceptions target)
  target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU,Clang>:-fno-exceptions>)
  if(WIN32)
    target_compile_options(${target} PRIVATE
      $<$<CXX_COMPILER_ID:GNU,Clang>:-fno-rtti $<$<CONFIG:MinSizeRel,Release>:-Oz>>)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU,Clang>:-fno-asynchronous-unwind-tables>)
    endif()
  endif()
endfunction()
