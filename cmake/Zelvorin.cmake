# One static library per folder, named zelvorin_<name>, built from every source in it but the
# files named by EXCLUDE (a program's main beside its classes).
function(zelvorin_library name)
    cmake_parse_arguments(ARG "" "" "PUBLIC_LIBS;PRIVATE_LIBS;EXCLUDE" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS
        "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp"
        "${CMAKE_CURRENT_SOURCE_DIR}/*.h"
        "${CMAKE_CURRENT_SOURCE_DIR}/*.ui"
        "${CMAKE_CURRENT_SOURCE_DIR}/*.qrc")
    foreach(excluded ${ARG_EXCLUDE})
        list(REMOVE_ITEM sources "${CMAKE_CURRENT_SOURCE_DIR}/${excluded}")
    endforeach()
    # A folder whose classes are all header-only still makes a linkable library.
    set(anchor "${CMAKE_CURRENT_BINARY_DIR}/zelvorin_${name}_anchor.cpp")
    file(CONFIGURE OUTPUT "${anchor}" CONTENT "// zelvorin_${name}\n")
    add_library(zelvorin_${name} STATIC ${sources} "${anchor}")
    target_include_directories(zelvorin_${name} PUBLIC "${CMAKE_CURRENT_SOURCE_DIR}")
    target_link_libraries(zelvorin_${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
endfunction()

# Every tst_*.cpp in the folder is one Qt Test executable, labelled by folder.
function(zelvorin_tests label)
    cmake_parse_arguments(ARG "" "" "LIBS;SYSTEM_INCLUDES" ${ARGN})
    file(GLOB tests CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp")
    foreach(test_source ${tests})
        get_filename_component(test_name "${test_source}" NAME_WE)
        set(target "${label}_${test_name}")
        add_executable(${target} "${test_source}")
        target_link_libraries(${target} PRIVATE ${ARG_LIBS} Qt6::Test)
        if(ARG_SYSTEM_INCLUDES)
            target_include_directories(${target} SYSTEM PRIVATE ${ARG_SYSTEM_INCLUDES})
        endif()
        add_test(NAME ${target} COMMAND ${target})
        set_tests_properties(${target} PROPERTIES
            LABELS "${label}"
            TIMEOUT 600
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ZELVORIN_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
    endforeach()
endfunction()
