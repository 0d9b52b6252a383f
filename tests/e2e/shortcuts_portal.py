# SPDX-License-Identifier: MIT
'''The desktop portal's GlobalShortcuts interface, as a python-dbusmock template.

It answers CreateSession and BindShortcuts through the Request/Response pattern of the portal:
each call returns the path of a request object, named after the caller and its handle_token,
and the result follows as that object's Response signal once the call has returned, as a
desktop does after its dialog. Press(shortcut_id, activation_token), on the mock interface,
stands in for the user pressing the bound keys: it emits Activated to every session that bound
the shortcut. Bound() lists what was bound, as "id|description|preferred_trigger".
'''

import dbus
from dbusmock import MOCK_IFACE
from gi.repository import GLib

BUS_NAME = 'org.freedesktop.portal.Desktop'
MAIN_OBJ = '/org/freedesktop/portal/desktop'
MAIN_IFACE = 'org.freedesktop.portal.GlobalShortcuts'
SYSTEM_BUS = False
REQUEST_IFACE = 'org.freedesktop.portal.Request'


def load(mock, _parameters):
    mock.AddProperties(MAIN_IFACE, dbus.Dictionary({'version': dbus.UInt32(1)}, signature='sv'))
    mock.bound = {}  # session handle -> (caller, [(id, properties)])


def _handle(kind, sender, token):
    return dbus.ObjectPath(f'{MAIN_OBJ}/{kind}/{sender[1:].replace(".", "_")}/{token}')


def _respond(mock, request, results):
    def emit():
        mock.EmitSignalDetailed(REQUEST_IFACE, 'Response', 'ua{sv}',
                                [dbus.UInt32(0), dbus.Dictionary(results, signature='sv')],
                                {'path': request})
        return False
    GLib.timeout_add(20, emit)


@dbus.service.method(MAIN_IFACE, in_signature='a{sv}', out_signature='o', sender_keyword='sender')
def CreateSession(self, options, sender):
    request = _handle('request', sender, options['handle_token'])
    session = _handle('session', sender, options['session_handle_token'])
    self.bound[str(session)] = (sender, [])
    _respond(self, request, {'session_handle': dbus.String(session)})
    return request


@dbus.service.method(MAIN_IFACE, in_signature='oa(sa{sv})sa{sv}', out_signature='o',
                     sender_keyword='sender')
def BindShortcuts(self, session, shortcuts, _parent_window, options, sender):
    request = _handle('request', sender, options['handle_token'])
    if str(session) not in self.bound:
        raise dbus.exceptions.DBusException('no such session',
                                            name='org.freedesktop.DBus.Error.InvalidArgs')
    self.bound[str(session)] = (sender, list(shortcuts))
    result = [(shortcut_id, {'description': props.get('description', ''),
                             'trigger_description': 'Ctrl+Alt+N'})
              for shortcut_id, props in shortcuts]
    _respond(self, request, {'shortcuts': dbus.Array(result, signature='(sa{sv})')})
    return request


@dbus.service.method(MOCK_IFACE, in_signature='ss', out_signature='')
def Press(self, shortcut_id, activation_token):
    for session, (sender, shortcuts) in self.bound.items():
        if any(bound_id == shortcut_id for bound_id, _ in shortcuts):
            self.EmitSignalDetailed(MAIN_IFACE, 'Activated', 'osta{sv}',
                                    [dbus.ObjectPath(session), shortcut_id, dbus.UInt64(0),
                                     dbus.Dictionary({'activation_token': activation_token},
                                                     signature='sv')],
                                    {'destination': sender})


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='as')
def Bound(self):
    return [f'{shortcut_id}|{props.get("description", "")}|{props.get("preferred_trigger", "")}'
            for _, shortcuts in self.bound.values() for shortcut_id, props in shortcuts]
