"""Runs the shipping 32-bit Vexlar.dll in the Unicorn CPU emulator, the way a
host drives it: load, start-up calls, actions that fail softly, the tear-down
message and unload. Every call checks the stdcall convention on return (see
EmulatedProcess.call).

    python3 tests/emu/dll_test.py path/to/Vexlar.dll
"""

import os
import struct
import sys
import unittest

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from emulated_process import EmulatedProcess  # noqa: E402
from windows_stubs import STUBS, Stub  # noqa: E402

DLL = None  # set from the command line
LAST_ERROR = b"[Vexlar.LastError]"


class FakeHost:
    """The host's side: call-backs as stdcall stubs that record what the
    module hands them, decoded from emulated memory, and parameter arrays in
    host-owned memory."""

    def __init__(self, process):
        self.p = process
        self.registrations = []
        self.variables = []  # (name bytes, value bytes), in order
        self.requests = []  # (code, request bytes)
        self.objects = {}  # object name bytes -> window handle, for request 7
        self.add_action = process.make_stub("host add-action", Stub(6, False, self._add_action))
        self.set_variable = process.make_stub("host set-variable",
                                              Stub(2, False, self._set_variable))
        self.interface_access = process.make_stub("host interface-access",
                                                  Stub(2, False, self._interface_access))

    def _add_action(self, p, a):
        action, name, hint, kinds, reserved, count = a
        # The kind buffer is reused for every registration: read it now.
        self.registrations.append((action, p.read_bytes_z(name).decode("cp1252"),
                                   p.read_bytes_z(hint).decode("cp1252"),
                                   list(p.uc.mem_read(kinds, count)), reserved, count))
        return 1

    def _set_variable(self, p, a):
        self.variables.append((p.read_bytes_z(a[0]), p.read_bytes_z(a[1])))
        return 1

    def _interface_access(self, p, a):
        code, slot = a
        request = p.read_u32(slot)
        self.requests.append((code, p.read_bytes_z(request)))
        handle = self.objects.get(self.requests[-1][1]) if code == 7 else None
        if handle is None:
            return 0  # no such object
        # The answer replaces the request, whose block is now the host's.
        p.heap.free(request, "global")
        answer = p.heap.alloc(16, "global", zero=True)
        p.uc.mem_write(answer, b"%d" % handle)
        p.write_u32(slot, answer)
        return 1

    def last_error(self):
        values = [v for n, v in self.variables if n == LAST_ERROR]
        return values[-1] if values else None

    def params(self, *texts):
        """A parameter array of cp1252 strings."""
        slots = [self.p.host_block(t.encode("cp1252") + b"\0") for t in texts]
        return self.p.host_block(struct.pack("<%dI" % len(slots), *slots))

    def start(self):
        """What a host does after loading: init, register, interface access."""
        locations = self.p.host_block(b"\0" * 12)
        self.init_result = self.p.call_export("_nbInitPlugIn", 77, locations, locations + 4,
                                              locations + 8)
        self.info = [self.p.read_u32(locations + 4 * i) for i in range(3)]
        self.register_result = self.p.call_export("_nbRegisterPlugIn", self.add_action, 5, 6,
                                                  self.set_variable)
        self.access_result = self.p.call_export("_nbRegisterInterfaceAccess",
                                                self.interface_access)


def load(gdiplus_status=0, relocate_to=None, host_fp_control=None):
    process = EmulatedProcess(DLL, STUBS, relocate_to=relocate_to)
    process.state["gdiplus_status"] = gdiplus_status
    if host_fp_control:
        process.host_fp_control = host_fp_control
    if process.attach() != 1:
        raise AssertionError("DllMain(DLL_PROCESS_ATTACH) did not report success")
    host = FakeHost(process)
    host.start()
    return process, host


EXPECTED_ACTIONS = [  # number, name, hint, parameter kinds
    (1, "Vexlar_LayerCreate",
     "Load SVG onto Rectangle (rect, svgFile, layout, opacity, tint, margin).", [1, 5, 1, 1, 1, 1]),
    (2, "Vexlar_LayerDestroy", "Destroy SVG layer and free all resources.", [1]),
    (3, "Vexlar_LayerShowHide", "Show or hide an SVG layer's overlay window.", [1, 1]),
    (4, "Vexlar_LayerSetOpacity", "Set layer opacity (0-255).", [1, 1]),
    (5, "Vexlar_LayerSetTint", "Apply a tint preset or custom RGB+strength.", [1, 1, 1, 1, 1, 1]),
    (7, "Vexlar_OverlayPause",
     "Pause (1) hides all SVG overlays for dialogs. Resume (0) restores them.", [1]),
    (9, "Vexlar_LayerSetRotation",
     "Rotate the layer by N degrees (positive = clockwise) around its visual center.", [1, 1]),
]


RELOCATED_BASE = 0x10400000
# x87 and SSE with invalid operation, division by zero and overflow unmasked.
UNMASKED_FP_CONTROL = (0x0272, 0x1900)
RECT = 0x0001A2B4  # the Rectangle's window handle
WM_SIZE = 5
HOST_PROC_RESULT = 0x5A


class HostSession(unittest.TestCase):
    """One module loaded where it prefers, driven through a whole session;
    the steps depend on each other, so they run in order in one test."""

    def record_message(self, p, a):
        self.messages.append(a)
        return HOST_PROC_RESULT

    def test_session(self):
        p, host = load()
        self.assertEqual(p.module_name, "Vexlar.dll")

        # Start-up: the information strings stay readable, as zero-filled
        # global blocks the module owns.
        self.assertEqual((host.init_result, host.register_result, host.access_result), (0, 0, 0))
        title, author, description = (p.read_bytes_z(a) for a in host.info)
        self.assertEqual(title, b"Vexlar")
        self.assertNotEqual(author, b"")
        self.assertEqual(description, b"Resolution-independent SVG viewer for Rectangle objects. "
                                      b"Vector paths re-rasterize crisp at any size.")
        for address, text in zip(host.info, (title, author, description)):
            self.assertEqual(p.heap.size(address), len(text) + 1)
        self.assertEqual([r[:4] for r in host.registrations], EXPECTED_ACTIONS)
        self.assertEqual([(r[4], r[5]) for r in host.registrations],
                         [(0, len(e[3])) for e in EXPECTED_ACTIONS])
        self.assertEqual((p.call_export("_nbAbout"),
                          p.call_export("_nbRegisterScriptProcessor", 0x1234)), (0, 0))

        # A Layer on a Rectangle the host does not know: the name keeps its
        # code page 1252 letter on the way in and out.
        params = host.params("Caf\xe9", "", "", "", "", "")
        self.assertEqual(p.call_export("_nbExecAction", 1, params), 0)
        self.assertEqual(host.requests, [(7, b"Caf\xe9")])
        self.assertEqual(host.last_error(), b"Layer:Create - Rectangle not found: Caf\xe9")
        token = p.state["gdiplus_token"]

        # A Rectangle the host knows, but no overlay window can be made: the
        # module subclasses the Rectangle and fails softly. The procedure it
        # installed pops its four arguments and hands messages to the host's.
        host_proc = p.make_stub("host window procedure", Stub(4, False, self.record_message))
        self.messages = []
        p.state["windows"] = {RECT: host_proc}
        host.objects[b"Rect1"] = RECT
        params = host.params("Rect1", "", "", "", "", "")
        self.assertEqual(p.call_export("_nbExecAction", 1, params), 0)
        self.assertEqual(host.last_error(), b"Layer:Create - Failed to create overlay window.")
        installed = p.state["windows"][RECT]
        self.assertNotEqual(installed, host_proc)
        size = 120 | 80 << 16
        self.assertEqual(p.call(installed, (RECT, WM_SIZE, 0, size), "the Rectangle's procedure"),
                         HOST_PROC_RESULT)
        self.assertEqual(self.messages, [(RECT, WM_SIZE, 0, size)])
        # The size change posts the module's render request to the Rectangle;
        # the render waits for it and the host's procedure never sees it.
        [request] = p.state["posted"]
        self.assertEqual(request, (RECT, 0xC0DE, 0, 0))
        self.assertNotIn("bitmaps_asked", p.state)
        self.assertEqual(p.call(installed, request, "the Rectangle's procedure"), 0)
        self.assertEqual(self.messages, [(RECT, WM_SIZE, 0, size)])
        # It then asks for a top-down 32-bit bitmap of the client size.
        self.assertEqual(p.state["bitmaps_asked"], [(40, 120, -80, 1, 32)])

        # An unknown action number opens no dialog and leaves the array alone.
        params = host.params("Rect1")
        before = p.read_u32(params)
        calls = len(p.calls)
        self.assertEqual(p.call_export("_nbEditAction", 6, params), 0)
        self.assertEqual(p.read_u32(params), before)
        self.assertEqual(p.calls[calls:], [])
        # A dialog whose window class cannot be registered is a cancel. The
        # class record has its 32-bit size and a procedure in the module.
        params = host.params("Rect1", "a.svg", "", "", "", "")
        before = [p.read_u32(params + 4 * i) for i in range(6)]
        self.assertEqual(p.call_export("_nbEditAction", 1, params), 0)
        self.assertEqual([p.read_u32(params + 4 * i) for i in range(6)], before)
        [(size, procedure)] = p.state["classes_asked"]
        self.assertEqual(size, 48)
        self.assertTrue(p.base <= procedure < p.base + p.image.image_size)

        # Tear-down ends the graphics library with the token it gave and
        # gives the Rectangle its own procedure back.
        self.assertEqual(p.call_export("_nbMessage", 2, 0), 0)
        self.assertEqual(p.state["gdiplus_shutdowns"], [token])
        self.assertEqual(p.state["windows"][RECT], host_proc)

        # Unload: the seventeen registration strings, still readable until
        # now, and every request and variable block are freed.
        self.assertEqual([p.read_bytes_z(a) for a in host.info], [title, author, description])
        self.assertEqual(len(p.heap.live("global")), 17)
        self.assertEqual(p.detach(), 1)
        self.assertEqual(p.heap.live("global"), [])


class GraphicsStartFails(unittest.TestCase):
    def test_create_reports_the_failed_start(self):
        # Loaded away from its preferred base, as address-space layout
        # randomisation does: the relocations must cover every address. The
        # host runs with floating-point exceptions unmasked, and each call
        # must give it back that state, not Windows' default.
        p, host = load(gdiplus_status=1, relocate_to=RELOCATED_BASE,
                       host_fp_control=UNMASKED_FP_CONTROL)
        params = host.params("Rect1", "a.svg", "", "", "", "")
        self.assertEqual(p.call_export("_nbExecAction", 1, params), 0)
        self.assertEqual(host.last_error(), b"Layer:Create - GDI+ startup failed.")
        self.assertEqual(host.requests, [])
        self.assertEqual(p.detach(), 1)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit("usage: dll_test.py path/to/Vexlar.dll [unittest arguments]")
    DLL = sys.argv.pop(1)
    unittest.main()
