# Fuzz targets for the loaders of every file the game reads (clang's
# libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer), and the
# program that writes their starting corpora. Built only with clang; run by
# scripts/fuzz-smoke.
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  set(ZEP_FUZZ_COMPILE_FLAGS
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  set(ZEP_FUZZ_LINK_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)

  # The loaders under test, instrumented for coverage and the sanitizers.
  add_library(zep-fuzz-loaders STATIC
    src/platform/ImageFile.cpp src/platform/SoundFile.cpp
    src/platform/Files.cpp src/records/HighScores.cpp)
  target_include_directories(zep-fuzz-loaders PUBLIC src)
  target_compile_options(zep-fuzz-loaders PUBLIC ${ZEP_FUZZ_COMPILE_FLAGS})
  target_link_libraries(zep-fuzz-loaders PUBLIC PNG::PNG PkgConfig::VORBISFILE)

  foreach(target png ogg highscores)
    if(target STREQUAL "png")
      set(source fuzz/FuzzPng.cpp)
    elseif(target STREQUAL "ogg")
      set(source fuzz/FuzzOgg.cpp)
    else()
      set(source fuzz/FuzzHighScores.cpp)
    endif()
    add_executable(zep-fuzz-${target} ${source})
    target_link_libraries(zep-fuzz-${target} PRIVATE zep-fuzz-loaders)
    target_link_options(zep-fuzz-${target} PRIVATE ${ZEP_FUZZ_LINK_FLAGS})
  endforeach()

  add_executable(zep-fuzz-seeds fuzz/MakeSeeds.cpp)
  target_link_libraries(zep-fuzz-seeds PRIVATE PNG::PNG PkgConfig::VORBISENC)
endif()
