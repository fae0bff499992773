# With CORVANTEEL_WARNINGS_AS_ERRORS, a warning in the project's own sources
# fails the build. JUCE's module sources are compiled into the same targets but
# are not ours to keep warning-free, so -Werror goes on our source files only:
# the target's own sources that lie in this repository, generated files aside.
# Link-time optimisation warns once more at the link: the link of our own
# programs fails on those too (for the plug-in's static library it is moot, and
# the plug-in binaries, whose link takes in JUCE and the VST3 SDK, never get it).
function(corvanteel_warnings_as_errors target)
    if(NOT CORVANTEEL_WARNINGS_AS_ERRORS)
        return()
    endif()

    get_target_property(sources ${target} SOURCES)
    get_target_property(target_dir ${target} SOURCE_DIR)
    set(own_sources "")

    foreach(source IN LISTS sources)
        if(NOT source MATCHES "\\.(c|cc|cpp|cxx|mm)$")
            continue()
        endif()

        cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY "${target_dir}" NORMALIZE OUTPUT_VARIABLE path)
        cmake_path(IS_PREFIX Corvanteel_SOURCE_DIR "${path}" NORMALIZE in_project)
        cmake_path(IS_PREFIX Corvanteel_BINARY_DIR "${path}" NORMALIZE generated)

        if(in_project AND NOT generated)
            list(APPEND own_sources "${path}")
        endif()
    endforeach()

    set_property(SOURCE ${own_sources} TARGET_DIRECTORY ${target} APPEND PROPERTY COMPILE_OPTIONS -Werror)
    target_link_options(${target} PRIVATE -Werror)
endfunction()
