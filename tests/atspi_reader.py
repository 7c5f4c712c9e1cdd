"""Reads Voltline's accessibility tree as a screen reader does (Orca uses the same library).
Runs with Debian's /usr/bin/python3 and python3-pyatspi, on the desktop's session bus where the
accessibility bus runs (harness.Desktop.start_accessibility).

    atspi_reader.py tree                  the program's windows, as JSON
    atspi_reader.py do ROLE NAME ACTION   runs the named action of the first ROLE called NAME
    atspi_reader.py watch                 prints the events a reader follows, one JSON line
                                          each, after a line "ready"; runs until stopped
"""

import json
import sys

import pyatspi

APP = "Voltline"
EVENTS = ("object:state-changed:checked", "object:state-changed:focused",
          "object:property-change:accessible-value", "object:property-change:accessible-name")


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == APP:
            return app
    return None


def node(acc):
    out = {"role": acc.getRoleName(), "name": acc.name, "description": acc.description,
           "states": sorted(s.value_nick for s in acc.getState().getStates())}
    try:
        value = acc.queryValue()
        out["value"] = [value.minimumValue, value.currentValue, value.maximumValue]
    except NotImplementedError:
        pass
    try:
        action = acc.queryAction()
        out["actions"] = {action.getName(i): action.getKeyBinding(i)
                          for i in range(action.nActions)}
    except NotImplementedError:
        pass
    try:
        text = acc.queryText()
        out["text"] = text.getText(0, -1)
    except NotImplementedError:
        pass
    out["children"] = [node(acc.getChildAtIndex(i)) for i in range(acc.childCount)]
    return out


def find(acc, role, name):
    if acc.getRoleName() == role and acc.name == name:
        return acc
    for i in range(acc.childCount):
        found = find(acc.getChildAtIndex(i), role, name)
        if found is not None:
            return found
    return None


def do(role, name, action_name):
    app = application()
    target = find(app, role, name) if app is not None else None
    if target is None:
        sys.exit(f"no {role} called {name!r}")
    action = target.queryAction()
    for i in range(action.nActions):
        if action.getName(i) == action_name:
            action.doAction(i)
            return
    sys.exit(f"{role} {name!r} has no action {action_name!r}")


def watch():
    def on_event(event):
        source = event.source
        record = {"type": event.type, "role": source.getRoleName(), "name": source.name,
                  "detail": event.detail1}
        if event.type.endswith("accessible-value"):
            record["value"] = source.queryValue().currentValue
        print(json.dumps(record), flush=True)

    pyatspi.Registry.registerEventListener(on_event, *EVENTS)
    print("ready", flush=True)
    pyatspi.Registry.start()


def main():
    command = sys.argv[1]
    if command == "tree":
        app = application()
        print(json.dumps(node(app)["children"] if app is not None else None))
    elif command == "do":
        do(*sys.argv[2:5])
    elif command == "watch":
        watch()


if __name__ == "__main__":
    main()
