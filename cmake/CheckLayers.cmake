# SPDX-License-Identifier: MIT
# Checks the layering the README's "Layout of the source" table describes against the code:
#   - every unit (a .cpp of a layer target) is named in its target's row of the table;
#   - every #include "..." of a unit's files names a header of its own target or of a target the
#     row's "may use" column allows (directly or through the layers those use).
# Run by CTest:
#   cmake -DREADME=README.md -DUNITS=<build>/layer-units.txt -DSOURCE_DIR=<source> -P CheckLayers.cmake
# UNITS has one line per source file of a layer target: "<target> <absolute path>".

cmake_minimum_required(VERSION 3.21)

foreach(Var README UNITS SOURCE_DIR)
    if(NOT DEFINED ${Var})
        message(FATAL_ERROR "CheckLayers.cmake needs -D${Var}=...")
    endif()
endforeach()

# The README's table rows: | level | `target` | units | may use |
file(STRINGS "${README}" Rows REGEX "^\\| *[0-9]+ *\\| *`velkora_[a-z]+`")
set(Layers "")
foreach(Row IN LISTS Rows)
    string(REGEX MATCH "^\\| *[0-9]+ *\\| *`(velkora_[a-z]+)` *\\|([^|]*)\\|([^|]*)\\|" _ "${Row}")
    set(Target "${CMAKE_MATCH_1}")
    set(UnitsText "${CMAKE_MATCH_2}")
    set(MayUse "${CMAKE_MATCH_3}")
    list(APPEND Layers ${Target})
    # The units a row names: every `Name` in the units column.
    string(REGEX MATCHALL "`[A-Za-z0-9_]+`" Named "${UnitsText}")
    string(REPLACE "`" "" Named "${Named}")
    set(Named_${Target} ${Named})
    # "base, Qt Gui, libpng" -> velkora_base (words that are not layers are libraries).
    string(REPLACE "," ";" MayUse "${MayUse}")
    set(Uses_${Target} "")
    foreach(Word IN LISTS MayUse)
        string(STRIP "${Word}" Word)
        if(Word MATCHES "^[a-z]+$")
            list(APPEND Uses_${Target} velkora_${Word})
        endif()
    endforeach()
endforeach()
if(NOT Layers)
    message(FATAL_ERROR "${README} has no layer table (rows \"| level | `velkora_x` | units | may use |\")")
endif()

# What each layer may use: itself and the closure of its "may use" column.
foreach(Target IN LISTS Layers)
    set(Reach ${Target})
    set(Todo ${Uses_${Target}})
    while(Todo)
        list(POP_FRONT Todo Next)
        if(NOT Next IN_LIST Reach)
            list(APPEND Reach ${Next})
            list(APPEND Todo ${Uses_${Next}})
        endif()
    endwhile()
    set(Reach_${Target} ${Reach})
endforeach()

# Which target each file of the tree belongs to.
file(STRINGS "${UNITS}" UnitLines)
set(Files "")
foreach(Line IN LISTS UnitLines)
    string(REGEX MATCH "^([^ ]+) (.+)$" _ "${Line}")
    set(Target "${CMAKE_MATCH_1}")
    file(RELATIVE_PATH Rel "${SOURCE_DIR}" "${CMAKE_MATCH_2}")
    if(Rel MATCHES "^\\.\\.")
        continue() # generated files
    endif()
    set(Owner_${Rel} ${Target})
    list(APPEND Files ${Rel})
endforeach()

set(Faults "")
foreach(Rel IN LISTS Files)
    set(Target ${Owner_${Rel}})
    if(NOT Target IN_LIST Layers)
        list(APPEND Faults "${Rel}: its target ${Target} has no row in the README's layer table")
        continue()
    endif()
    get_filename_component(Stem "${Rel}" NAME_WE)
    if(Rel MATCHES "\\.cpp$" AND NOT Stem IN_LIST Named_${Target})
        list(APPEND Faults "${Rel}: the unit ${Stem} is not named in ${Target}'s row of the README's layer table")
    endif()
    if(NOT Rel MATCHES "\\.(cpp|h)$")
        continue()
    endif()
    file(STRINGS "${SOURCE_DIR}/${Rel}" Includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(Include IN LISTS Includes)
        string(REGEX MATCH "\"([^\"]+)\"" _ "${Include}")
        set(Header "${CMAKE_MATCH_1}")
        if(NOT DEFINED Owner_${Header})
            continue() # generated (ui_*.h, Version.h) or outside the layers
        endif()
        set(HeaderOwner ${Owner_${Header}})
        if(NOT HeaderOwner IN_LIST Reach_${Target})
            list(APPEND Faults "${Rel} (${Target}) includes ${Header} (${HeaderOwner}), which ${Target} may not use")
        endif()
    endforeach()
endforeach()

if(Faults)
    list(JOIN Faults "\n  " Text)
    message(FATAL_ERROR "The layering is broken:\n  ${Text}")
endif()
list(LENGTH Files Count)
list(LENGTH Layers LayerCount)
message(STATUS "${Count} files of ${LayerCount} layers checked")
