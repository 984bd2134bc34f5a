#!/usr/bin/env python3
"""Moves the pointer and presses buttons on the X display named by $DISPLAY
(for the screenshot scripts, through the XTEST extension):
    xtest.py click X Y [BUTTON]     a click, button 1 (left) unless named
    xtest.py drag X1 Y1 X2 Y2       left button down at X1 Y1, up at X2 Y2
"""
import ctypes
import sys
import time

x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
xtst = ctypes.cdll.LoadLibrary("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_ulong]
xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]

display = x11.XOpenDisplay(None)
if not display:
    sys.exit("no X display")


def move(x, y):
    xtst.XTestFakeMotionEvent(display, -1, x, y, 0)
    x11.XSync(display, 0)
    time.sleep(0.2)


def button(number, down):
    xtst.XTestFakeButtonEvent(display, number, 1 if down else 0, 0)
    x11.XSync(display, 0)
    time.sleep(0.1)


args = [int(v) for v in sys.argv[2:]]
if sys.argv[1] == "click":
    move(args[0], args[1])
    number = args[2] if len(args) > 2 else 1
    button(number, True)
    button(number, False)
elif sys.argv[1] == "drag":
    move(args[0], args[1])
    button(1, True)
    move((args[0] + args[2]) // 2, (args[1] + args[3]) // 2)
    move(args[2], args[3])
    button(1, False)
else:
    sys.exit("usage: xtest.py click X Y [BUTTON] | drag X1 Y1 X2 Y2")
