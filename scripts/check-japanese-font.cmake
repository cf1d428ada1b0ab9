# Run first at install time: the application's texts are Japanese, and without a font that has
# their glyphs they show as empty boxes. fontconfig, which Qt asks for fonts, answers for this
# machine. A staged install (DESTDIR) is for another machine, whose fonts this one cannot see: it
# only warns.
set(package "fonts-noto-cjk")
if("$ENV{DESTDIR}" STREQUAL "")
    set(severity FATAL_ERROR)
else()
    set(severity WARNING)
endif()

find_program(fc_list fc-list NO_CACHE)
if(NOT fc_list)
    message(${severity} "Pellorim cannot check for a Japanese font: fc-list is missing. Install "
        "the Debian packages fontconfig and ${package} (apt-get install fontconfig ${package}).")
    return()
endif()
execute_process(COMMAND "${fc_list}" ":lang=ja" "family"
    OUTPUT_VARIABLE families RESULT_VARIABLE result)
string(STRIP "${families}" families)
if(NOT result EQUAL 0 OR families STREQUAL "")
    message(${severity} "No Japanese font is installed (fc-list :lang=ja lists none): Pellorim's "
        "texts would show as empty boxes. Install the Debian package ${package} "
        "(apt-get install ${package}).")
endif()
