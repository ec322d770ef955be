# The protocol link library: STDComm over a serial line.
# Its interface version: the major number is the SONAME (libTobrelComm3.so.3) and changes only
# when a program built against the library must be built again.
set(TOBRELCOMM3_VERSION 3.0.0)
string(REGEX MATCH "^[0-9]+" TOBRELCOMM3_SOVERSION ${TOBRELCOMM3_VERSION})
set(TOBRELCOMM3_PUBLIC_HEADERS
  ${CMAKE_CURRENT_LIST_DIR}/TobrelComm3Global.h
  ${CMAKE_CURRENT_LIST_DIR}/CommError.h
  ${CMAKE_CURRENT_LIST_DIR}/Line.h
  ${CMAKE_CURRENT_LIST_DIR}/STDComm.h
  ${CMAKE_CURRENT_LIST_DIR}/PortDevices.h)
add_library(TobrelComm3 SHARED
  ${TOBRELCOMM3_PUBLIC_HEADERS}
  ${CMAKE_CURRENT_LIST_DIR}/ComPorts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ComPorts.h
  ${CMAKE_CURRENT_LIST_DIR}/PortChecks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortChecks.h
  ${CMAKE_CURRENT_LIST_DIR}/PortDevices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReplyPace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReplyPace.h
  ${CMAKE_CURRENT_LIST_DIR}/SerialPortLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SerialPortLine.h
  ${CMAKE_CURRENT_LIST_DIR}/STDComm.cpp)
add_library(TobrelComm3::TobrelComm3 ALIAS TobrelComm3)
target_compile_definitions(TobrelComm3 PRIVATE TOBRELCOMM3_LIBRARY)
# In the build tree every header of the link is at hand; an installed library offers its
# public headers only, as <TobrelComm3/STDComm.h>.
target_include_directories(TobrelComm3 PUBLIC
  $<BUILD_INTERFACE:${CMAKE_CURRENT_LIST_DIR}>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_link_libraries(TobrelComm3 PUBLIC Qt6::Core PRIVATE Qt6::SerialPort tobrel_protocol)
# Only what is marked TOBRELCOMM3_EXPORT leaves the library; the wire format linked into it
# stays private, so its symbols never become part of the interface.
set_target_properties(TobrelComm3 PROPERTIES
  VERSION ${TOBRELCOMM3_VERSION}
  SOVERSION ${TOBRELCOMM3_SOVERSION}
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON
  PUBLIC_HEADER "${TOBRELCOMM3_PUBLIC_HEADERS}")
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  target_link_options(TobrelComm3 PRIVATE "LINKER:--exclude-libs,ALL")
endif()
