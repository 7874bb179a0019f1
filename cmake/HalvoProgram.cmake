# The settings program, Halvo.exe's code, built with one clock and one set of
# resources: app/ builds the shipped program and its test-clock twin from it,
# the end-to-end tests add programs whose resources are broken. The linker's
# map of each (<name>.map beside it) says where its bytes come from (bench/size.sh).
function(halvo_add_program name clock resources)
  add_executable(${name} WIN32 ${PROJECT_SOURCE_DIR}/app/halvo_app.cpp)
  target_link_libraries(${name} PRIVATE halvo_dialog ${clock} ${resources})
  halvo_version_resource(${name} "Halvo recorder settings")
  target_compile_options(${name} PRIVATE $<$<CXX_COMPILER_ID:GNU,Clang>:-municode>)
  target_link_options(${name} PRIVATE
    $<$<CXX_COMPILER_ID:GNU,Clang>:-municode -mwindows -Wl,--gc-sections -Wl,-Map=${CMAKE_CURRENT_BINARY_DIR}/${name}.map>
    $<$<AND:$<CXX_COMPILER_ID:GNU,Clang>,$<CONFIG:Release,MinSizeRel>>:-s>)
  halvo_warnings(${name})
  halvo_without_exceptions(${name})
endfunction()
