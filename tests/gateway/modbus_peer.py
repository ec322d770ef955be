#!/usr/bin/python3
"""Reads Modbus TCP tables with pymodbus, a client written elsewhere, and prints what it got.

Usage: modbus_peer.py HOST PORT SPEC...   SPEC = UNIT:TABLE:FIRST:COUNT, TABLE di, ir or hr.
One line per SPEC: "ok V1 V2 ..." (bits as 0/1), "exception CODE", or "failed TEXT".
"""
import logging
import sys

from pymodbus.client import ModbusTcpClient
from pymodbus.pdu import ExceptionResponse

logging.disable(logging.CRITICAL)


def main():
    host, port = sys.argv[1], int(sys.argv[2])
    client = ModbusTcpClient(host, port=port, timeout=5, retries=0)
    if not client.connect():
        print("failed cannot connect")
        return 1
    read = {"di": client.read_discrete_inputs, "ir": client.read_input_registers,
            "hr": client.read_holding_registers}
    for spec in sys.argv[3:]:
        unit, table, first, count = spec.split(":")
        try:
            r = read[table](int(first), int(count), slave=int(unit))
        except Exception as e:  # the connection went away
            print("failed", type(e).__name__)
            continue
        if isinstance(r, ExceptionResponse):
            print("exception", r.exception_code)
        elif r.isError():
            print("failed", r)
        elif table == "di":
            print("ok", " ".join(str(int(b)) for b in r.bits[: int(count)]))
        else:
            print("ok", " ".join(str(v) for v in r.registers))
    client.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
