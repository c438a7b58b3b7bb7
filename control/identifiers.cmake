# Writes the control's identifiers, read from its IDL, as a header without Windows headers:
# the class, library and interface identifiers as text and the dispatch identifiers of the
# default interface as constants. The IDL stays their one source; registration, the build
# machine's tools and the programs that call the control late-bound all include this header.
#
#   cmake -DIDL=<cutshape.idl> -DOUTPUT=<cutshape_ids.h> [-DMAPS=<compatibility_maps.rc>]
#         -P identifiers.cmake
#
# With MAPS it also writes the library's compatibility maps as resources: each maps an earlier
# interface identifier to the current one.

cmake_minimum_required(VERSION 3.20)

file(READ ${IDL} idl)

# The identifier in the uuid() attribute that precedes <declaration>.
function(identifier_of declaration variable)
    string(REGEX MATCH "uuid\\(([0-9A-Fa-f-]+)\\)[^;{]*${declaration}" found "${idl}")
    if(NOT found)
        message(FATAL_ERROR "${IDL}: no uuid() for '${declaration}'")
    endif()
    string(TOUPPER "${CMAKE_MATCH_1}" upper)
    set(${variable} "{${upper}}" PARENT_SCOPE)
endfunction()

identifier_of("library CutshapeCtrl" library)
identifier_of("interface _Cutshape " interface)
identifier_of("dispinterface __Cutshape[ \n]" events)
identifier_of("coclass Cutshape[ \n]" class)
identifier_of("_Cutshape Cutshape___v0" earlier_interface)
# The earlier event interface is no part of the type library; the IDL names it for the
# generated headers only.
string(REGEX MATCH "CUTSHAPE_EARLIER_EVENTS_ID[^{]*({[0-9A-Fa-f-]+})" found "${idl}")
if(NOT found)
    message(FATAL_ERROR "${IDL}: no CUTSHAPE_EARLIER_EVENTS_ID")
endif()
string(TOUPPER "${CMAKE_MATCH_1}" earlier_events)

set(text "#pragma once
// Generated from cutshape.idl: do not edit. The control's identifiers for code that cannot
// include the IDL's Windows header (the build machine's tools) and its dispatch identifiers.

#include <cstdint>

#define CUTSHAPE_LIBRARY_ID \"${library}\"
#define CUTSHAPE_CLASS_ID \"${class}\"
#define CUTSHAPE_INTERFACE_ID \"${interface}\"
#define CUTSHAPE_EVENTS_ID \"${events}\"
#define CUTSHAPE_EARLIER_INTERFACE_ID \"${earlier_interface}\"
#define CUTSHAPE_EARLIER_EVENTS_ID \"${earlier_events}\"

namespace cutshape::dispid {
")
# Each member once (a property's get and put share their identifier).
string(REGEX MATCHALL "\\[id\\((0x[0-9A-Fa-f]+)\\)[^]]*\\] *HRESULT +[A-Za-z]+" members "${idl}")
set(seen "")
foreach(member IN LISTS members)
    string(REGEX MATCH "\\[id\\((0x[0-9A-Fa-f]+)\\)[^]]*\\] *HRESULT +([A-Za-z]+)" parts "${member}")
    set(value ${CMAKE_MATCH_1})
    set(name ${CMAKE_MATCH_2})
    if(NOT name IN_LIST seen)
        list(APPEND seen ${name})
        string(APPEND text "inline constexpr std::int32_t k${name} = static_cast<std::int32_t>(${value}u);\n")
    endif()
endforeach()
if(NOT seen)
    message(FATAL_ERROR "${IDL}: no dispatch identifiers found")
endif()
string(APPEND text "} // namespace cutshape::dispid\n")

# Rewritten only when it changes, so that dependants are not rebuilt for nothing.
function(write_if_changed file content)
    set(previous "")
    if(EXISTS ${file})
        file(READ ${file} previous)
    endif()
    if(NOT previous STREQUAL content)
        file(WRITE ${file} "${content}")
    endif()
endfunction()
write_if_changed(${OUTPUT} "${text}")

# A GUID as resource data: Data1 (32 bits), Data2 and Data3 (16 bits), then the eight bytes
# of Data4 as little-endian 16-bit words, the layout of a GUID in memory.
function(guid_words guid variable)
    string(SUBSTRING ${guid} 1 8 data1)
    string(SUBSTRING ${guid} 10 4 data2)
    string(SUBSTRING ${guid} 15 4 data3)
    string(SUBSTRING ${guid} 20 4 data4)
    string(SUBSTRING ${guid} 25 12 rest)
    string(APPEND data4 ${rest})
    set(words "0x${data1}L, 0x${data2}, 0x${data3}")
    foreach(at RANGE 0 12 4)
        string(SUBSTRING ${data4} ${at} 2 low)
        math(EXPR next "${at} + 2")
        string(SUBSTRING ${data4} ${next} 2 high)
        string(APPEND words ", 0x${high}${low}")
    endforeach()
    set(${variable} "${words}" PARENT_SCOPE)
endfunction()

if(MAPS)
    set(maps "// Generated from cutshape.idl: do not edit. The compatibility maps: a 32-bit byte count
// (32), then the earlier and the current identifier.
")
    foreach(map IN ITEMS "_IID_CUTSHAPE;${earlier_interface};${interface}"
                         "_SRCIID_CUTSHAPE;${earlier_events};${events}")
        list(GET map 0 name)
        list(GET map 1 earlier)
        list(GET map 2 current)
        guid_words(${earlier} earlier_words)
        guid_words(${current} current_words)
        string(APPEND maps "1 ${name}\nBEGIN\n    32L,\n    ${earlier_words},\n    ${current_words}\nEND\n\n")
    endforeach()
    write_if_changed(${MAPS} "${maps}")
endif()
