# The sampling library as a header-only CMake package: cmake --install puts its headers in
# <prefix>/include/montemex/sampling and a package file in <prefix>/lib/cmake/montemex, so that
# another project can say find_package(montemex) and link montemex::sampling.
add_library(montemex_sampling INTERFACE)
target_include_directories(montemex_sampling INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_compile_features(montemex_sampling INTERFACE cxx_std_17)
# Results depend on double arithmetic in the order written. -fno-math-errno changes no value; it
# lets the compiler vectorise loops with square roots (gamma_batch.hpp).
target_compile_options(montemex_sampling INTERFACE $<$<CXX_COMPILER_ID:GNU,Clang>:-ffp-contract=off>
                       $<$<CXX_COMPILER_ID:GNU,Clang>:-fno-math-errno>)
set_target_properties(montemex_sampling PROPERTIES EXPORT_NAME sampling)

if(NOT MONTEMEX_WINDOWS)
  file(GLOB sampling_headers ${PROJECT_SOURCE_DIR}/src/sampling/*.hpp)
  install(FILES ${sampling_headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/montemex/sampling)
  install(TARGETS montemex_sampling EXPORT montemexTargets)
  install(EXPORT montemexTargets NAMESPACE montemex:: FILE montemexConfig.cmake
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/montemex)
endif()
