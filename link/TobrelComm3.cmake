# The protocol link library: STDComm over a serial line.
add_library(TobrelComm3 SHARED
  ${CMAKE_CURRENT_LIST_DIR}/CommError.h
  ${CMAKE_CURRENT_LIST_DIR}/Line.h
  ${CMAKE_CURRENT_LIST_DIR}/PortChecks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortChecks.h
  ${CMAKE_CURRENT_LIST_DIR}/PortDevices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PortDevices.h
  ${CMAKE_CURRENT_LIST_DIR}/SerialPortLine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SerialPortLine.h
  ${CMAKE_CURRENT_LIST_DIR}/STDComm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/STDComm.h)
target_compile_definitions(TobrelComm3 PRIVATE TOBRELCOMM3_LIBRARY)
target_include_directories(TobrelComm3 PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(TobrelComm3 PUBLIC Qt6::Core PRIVATE Qt6::SerialPort tobrel_protocol)
