#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# Listens on the accessibility bus as a screen reader does and prints, one line each, every
# object that is shown: its role and its name. Prints "ready" once the registry has it. Like a
# screen reader it also hears renames, which keep the names it has cached current.
import sys

import pyatspi


def shown(event):
    if event.detail1:
        print(f"{event.source.getRoleName()}|{event.source.name}", flush=True)


pyatspi.Registry.registerEventListener(shown, "object:state-changed:showing")
pyatspi.Registry.registerEventListener(lambda event: None, "object:property-change:accessible-name")
print("ready", flush=True)
pyatspi.Registry.start()
