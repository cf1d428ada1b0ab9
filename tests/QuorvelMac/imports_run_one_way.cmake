# The application's code imports one way: the shell uses the views and the model, the views use
# the model, and the model uses neither. Run with -DSOURCE_DIR=<src/QuorvelMac>; fails naming
# every include that runs the other way.
set(rules
    "ui|QuorvelMac/shell/"
    "model|QuorvelMac/shell/"
    "model|QuorvelMac/ui/")
set(wrong "")
foreach(rule IN LISTS rules)
    string(REPLACE "|" ";" parts "${rule}")
    list(GET parts 0 folder)
    list(GET parts 1 forbidden)
    file(GLOB_RECURSE sources "${SOURCE_DIR}/${folder}/*.cpp" "${SOURCE_DIR}/${folder}/*.hpp")
    foreach(source IN LISTS sources)
        file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]${forbidden}")
        foreach(line IN LISTS lines)
            file(RELATIVE_PATH name "${SOURCE_DIR}" "${source}")
            string(APPEND wrong "\n  ${name}: ${line}")
        endforeach()
    endforeach()
endforeach()
if(wrong)
    message(FATAL_ERROR "includes that run against the layers:${wrong}")
endif()
