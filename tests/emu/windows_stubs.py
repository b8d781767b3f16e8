"""The Windows and C runtime functions Vexlar.dll calls on the paths the
emulator test runs, each as small as it can be. An import missing here stops
the run and names itself; add it only when a path really calls it.

Each stub is registered under its import name with its argument count and
convention: stdcall stubs remove their arguments ('ret n'), the C runtime's
cdecl ones do not. A stub gets the process and the arguments as unsigned
32-bit values and returns EAX.
"""

import struct

STUBS = {}

ERROR_INSUFFICIENT_BUFFER = 122
# The system code page (CP_ACP) is Windows-1252 here, as on a Western
# European system.
CP_ACP, CP_1252 = 0, 1252
GMEM_ZEROINIT = 0x40


class Stub:
    def __init__(self, argc, cdecl, run, code=None):
        self.argc = argc
        self.pops = 0 if cdecl else 4 * argc
        self.run = run
        self.code = code


def stdcall(argc):
    def register(fn):
        STUBS[fn.__name__] = Stub(argc, False, fn)
        return fn
    return register


def cdecl(argc):
    def register(fn):
        STUBS[fn.__name__] = Stub(argc, True, fn)
        return fn
    return register


def signed(value):
    return value - (1 << 32) if value & 0x80000000 else value


# ---- code page 1252 ------------------------------------------------------------------
# Windows maps the five bytes that Windows-1252 leaves undefined to the C1
# controls of the same value; Python's codec refuses them.
UNDEFINED_1252 = (0x81, 0x8D, 0x8F, 0x90, 0x9D)


def decode_1252(data):
    return "".join(chr(b) if b in UNDEFINED_1252 else bytes([b]).decode("cp1252") for b in data)


def encode_1252(text):
    """Characters without a byte become '?', as WideCharToMultiByte's default
    character; returns the bytes and whether the default was used."""
    out, defaulted = bytearray(), False
    for c in text:
        if ord(c) in UNDEFINED_1252:
            out.append(ord(c))
            continue
        try:
            out += c.encode("cp1252")
        except UnicodeEncodeError:
            out.append(ord("?"))
            defaulted = True
    return bytes(out), defaulted


def decode_units(data):
    return "".join(chr(u) for (u,) in struct.iter_unpack("<H", data))


def encode_units(text):
    return b"".join(struct.pack("<H", ord(c)) for c in text)


def check_code_page(page):
    if page not in (CP_ACP, CP_1252):
        raise AssertionError("code page %d is not emulated" % page)


def set_error(p, code):
    p.state["last_error"] = code
    return 0


@stdcall(6)
def MultiByteToWideChar(p, a):
    page, _, source, count, target, capacity = a
    check_code_page(page)
    count = signed(count)
    data = p.read_bytes_z(source) + b"\0" if count == -1 else bytes(p.uc.mem_read(source, count))
    units = encode_units(decode_1252(data))
    if capacity == 0:
        return len(units) // 2
    if len(units) // 2 > capacity:
        return set_error(p, ERROR_INSUFFICIENT_BUFFER)
    p.uc.mem_write(target, units)
    return len(units) // 2


@stdcall(8)
def WideCharToMultiByte(p, a):
    page, _, source, count, target, capacity, _, used_default = a
    check_code_page(page)
    count = signed(count)
    if count == -1:
        text = p.read_wide_z(source) + "\0"
    else:
        text = decode_units(bytes(p.uc.mem_read(source, 2 * count)))
    data, defaulted = encode_1252(text)
    if used_default:
        p.write_u32(used_default, 1 if defaulted else 0)
    if capacity == 0:
        return len(data)
    if len(data) > capacity:
        return set_error(p, ERROR_INSUFFICIENT_BUFFER)
    p.uc.mem_write(target, data)
    return len(data)


# ---- memory --------------------------------------------------------------------------
@stdcall(2)
def GlobalAlloc(p, a):
    flags, size = a
    if flags & ~GMEM_ZEROINIT:
        raise AssertionError("GlobalAlloc flags 0x%x are not emulated" % flags)
    return p.heap.alloc(size, "global", zero=bool(flags & GMEM_ZEROINIT))


@stdcall(1)
def GlobalFree(p, a):
    p.heap.free(a[0], "global")
    return 0


@cdecl(1)
def malloc(p, a):
    return p.heap.alloc(a[0], "malloc")


@cdecl(2)
def calloc(p, a):
    return p.heap.alloc(a[0] * a[1], "malloc", zero=True)


@cdecl(1)
def free(p, a):
    if a[0]:
        p.heap.free(a[0], "malloc")
    return 0


# ---- threads -------------------------------------------------------------------------
@stdcall(0)
def GetCurrentThreadId(p, a):
    return 0x1004


# ---- critical sections: one thread, so only their balance is checked -----------------
def held(p):
    return p.state.setdefault("critical_sections", {})


@stdcall(1)
def InitializeCriticalSection(p, a):
    held(p)[a[0]] = 0
    return 0


@stdcall(1)
def EnterCriticalSection(p, a):
    if a[0] not in held(p):
        raise AssertionError("EnterCriticalSection(0x%08x) before it is initialised" % a[0])
    held(p)[a[0]] += 1
    return 0


@stdcall(1)
def LeaveCriticalSection(p, a):
    if held(p).get(a[0], 0) <= 0:
        raise AssertionError("LeaveCriticalSection(0x%08x) without entering it" % a[0])
    held(p)[a[0]] -= 1
    return 0


@stdcall(1)
def DeleteCriticalSection(p, a):
    if held(p).pop(a[0], None):
        raise AssertionError("DeleteCriticalSection(0x%08x) while it is held" % a[0])
    return 0


# ---- the thread library's start-up ---------------------------------------------------
@stdcall(2)
def AddVectoredExceptionHandler(p, a):
    handlers = p.state.setdefault("exception_handlers", [])
    handlers.append(a[1])
    return 0x4000 + len(handlers)  # a handle, never dereferenced


@stdcall(1)
def RemoveVectoredExceptionHandler(p, a):
    return 1


# ---- the C runtime's start-up --------------------------------------------------------
# _initterm(begin, end) calls each non-null function pointer of a table: the
# calls run module code, so the stub is machine code:
#   push esi; push edi; mov esi, [esp+12]; mov edi, [esp+16]
#   next: cmp esi, edi; jae done; mov eax, [esi]; test eax, eax; jz skip; call eax
#   skip: add esi, 4; jmp next
#   done: pop edi; pop esi; xor eax, eax; ret
STUBS["_initterm"] = Stub(2, True, None, code=bytes.fromhex(
    "5657" "8b74240c" "8b7c2410" "39fe" "730d" "8b06" "85c0" "7402" "ffd0" "83c604" "ebef"
    "5f5e" "31c0" "c3"))


# ---- modules: only Vexlar.dll itself is loaded ---------------------------------------
ERROR_MOD_NOT_FOUND = 126
EXE_BASE = 0x00400000  # the host's image; never read


def module_handle(p, name):
    if name is None:
        return EXE_BASE
    if name.lower() in (p.module_name.lower(), p.module_name.lower()[:-4]):
        return p.base
    return set_error(p, ERROR_MOD_NOT_FOUND)


@stdcall(1)
def GetModuleHandleA(p, a):
    return module_handle(p, p.read_bytes_z(a[0]).decode("latin-1") if a[0] else None)


@stdcall(1)
def GetModuleHandleW(p, a):
    return module_handle(p, p.read_wide_z(a[0]) if a[0] else None)


# ---- thread-local storage slots ------------------------------------------------------
def tls(p):
    return p.state.setdefault("tls", {})


@stdcall(0)
def TlsAlloc(p, a):
    slots = tls(p)
    index = next(i for i in range(1, 1089) if i not in slots)  # 0 is the loader's
    slots[index] = 0
    return index


@stdcall(1)
def TlsGetValue(p, a):
    if a[0] not in tls(p):
        raise AssertionError("TlsGetValue(%d) of a slot never allocated" % a[0])
    set_error(p, 0)
    return tls(p)[a[0]]


@stdcall(2)
def TlsSetValue(p, a):
    if a[0] not in tls(p):
        raise AssertionError("TlsSetValue(%d) of a slot never allocated" % a[0])
    tls(p)[a[0]] = a[1]
    return 1


# ---- kernel handles: events only, never waited on by another thread ------------------
def handles(p):
    return p.state.setdefault("handles", {})


def new_handle(p, kind):
    handle = 0x100 + 4 * p.state.setdefault("handles_made", 0)
    p.state["handles_made"] += 1
    handles(p)[handle] = kind
    return handle


@stdcall(4)
def CreateEventA(p, a):
    return new_handle(p, "event")


@stdcall(0)
def GetCurrentProcess(p, a):
    return 0xFFFFFFFF  # the pseudo-handle


@stdcall(0)
def GetCurrentThread(p, a):
    return 0xFFFFFFFE  # the pseudo-handle


@stdcall(7)
def DuplicateHandle(p, a):
    source_process, source, target_process, target = a[:4]
    if source != 0xFFFFFFFE and source not in handles(p):
        raise AssertionError("DuplicateHandle of no open handle 0x%x" % source)
    p.write_u32(target, new_handle(p, "thread" if source == 0xFFFFFFFE else handles(p)[source]))
    return 1


@stdcall(1)
def GetThreadPriority(p, a):
    return 0  # THREAD_PRIORITY_NORMAL


@cdecl(1)
def _lock(p, a):
    return 0


@cdecl(1)
def _unlock(p, a):
    return 0


# ---- graphics: the library starts, or fails to as the test chooses, and draws nothing --
GDIPLUS_TOKEN = 0xC0DE1234  # all 32 bits in use: a token squeezed or sign-extended shows


@stdcall(3)
def GdiplusStartup(p, a):
    token, startup_input, _ = a
    version, debug_callback, suppress_thread, suppress_codecs = struct.unpack(
        "<IIII", p.uc.mem_read(startup_input, 16))
    if version != 1 or debug_callback != 0:
        raise AssertionError("GdiplusStartup input is %r" % ((version, debug_callback),))
    status = p.state.get("gdiplus_status", 0)
    if status == 0:
        p.write_u32(token, GDIPLUS_TOKEN)
        p.state["gdiplus_token"] = GDIPLUS_TOKEN
    return status


@stdcall(1)
def GdiplusShutdown(p, a):
    p.state.setdefault("gdiplus_shutdowns", []).append(a[0])
    return 0


@stdcall(1)
def LoadLibraryW(p, a):
    return set_error(p, ERROR_MOD_NOT_FOUND)


# ---- C runtime strings and memory ----------------------------------------------------
@cdecl(1)
def strlen(p, a):
    return len(p.read_bytes_z(a[0]))


@cdecl(1)
def wcslen(p, a):
    return len(p.read_wide_z(a[0]))


@cdecl(3)
def memcpy(p, a):
    target, source, count = a
    if count and (source < target + count and target < source + count):
        raise AssertionError("memcpy with overlapping ranges 0x%08x, 0x%08x, %d" % a)
    p.uc.mem_write(target, bytes(p.uc.mem_read(source, count)))
    return target


@cdecl(3)
def memset(p, a):
    p.uc.mem_write(a[0], bytes([a[1] & 0xFF]) * a[2])
    return a[0]


# ---- pointer probes ------------------------------------------------------------------
@stdcall(2)
def IsBadReadPtr(p, a):
    return 0 if a[1] == 0 or p.is_mapped(a[0], a[1], 1) else 1  # UC_PROT_READ


@cdecl(0)
def _errno(p, a):
    if "errno" not in p.state:
        p.state["errno"] = p.heap.alloc(4, "runtime", zero=True)
    return p.state["errno"]


@stdcall(2)
def CharLowerBuffW(p, a):
    text = decode_units(bytes(p.uc.mem_read(a[0], 2 * a[1])))
    lower = "".join(c.lower() if len(c.lower()) == 1 else c for c in text)
    p.uc.mem_write(a[0], encode_units(lower))
    return a[1]


# ---- windows: the host's Rectangles exist, new windows cannot be made -------------------
# p.state["windows"] maps each window handle to its window procedure.
GWL_WNDPROC = 0xFFFFFFFC  # -4
ERROR_INVALID_WINDOW_HANDLE = 1400
ERROR_NOT_ENOUGH_MEMORY = 8


def window_procs(p):
    return p.state.setdefault("windows", {})


@stdcall(1)
def IsWindow(p, a):
    return 1 if a[0] in window_procs(p) else 0


@stdcall(2)
def GetWindowLongW(p, a):
    if a[1] != GWL_WNDPROC:
        raise AssertionError("GetWindowLongW index %d is not emulated" % signed(a[1]))
    return window_procs(p).get(a[0]) or set_error(p, ERROR_INVALID_WINDOW_HANDLE)


@stdcall(3)
def SetWindowLongW(p, a):
    window, index, value = a
    if index != GWL_WNDPROC:
        raise AssertionError("SetWindowLongW index %d is not emulated" % signed(index))
    if window not in window_procs(p):
        return set_error(p, ERROR_INVALID_WINDOW_HANDLE)
    previous, window_procs(p)[window] = window_procs(p)[window], value
    return previous


RECTANGLE_SIZE = (120, 80)  # every window's client area


@stdcall(2)
def GetClientRect(p, a):
    if a[0] not in window_procs(p):
        return set_error(p, ERROR_INVALID_WINDOW_HANDLE)
    p.uc.mem_write(a[1], struct.pack("<iiii", 0, 0, *RECTANGLE_SIZE))
    return 1


@stdcall(2)
def GetAncestor(p, a):
    return a[0] if a[0] in window_procs(p) else 0


@stdcall(1)
def GetDC(p, a):
    return 0  # no device context: drawing fails softly


@stdcall(1)
def CreateCompatibleDC(p, a):
    return 0


@stdcall(6)
def CreateDIBSection(p, a):
    # Records what was asked for (size, planes, bits per pixel) and fails.
    header = struct.unpack("<IiiHH", p.uc.mem_read(a[1], 16))
    p.state.setdefault("bitmaps_asked", []).append(header)
    p.write_u32(a[3], 0)
    return 0


@stdcall(12)
def CreateWindowExW(p, a):
    return set_error(p, ERROR_NOT_ENOUGH_MEMORY)


# CallWindowProcW(proc, window, message, wParam, lParam) calls the procedure
# with the last four arguments, which it pops itself:
#   push [esp+20] four times (lParam, wParam, message, window); call [esp+20]; ret 20
STUBS["CallWindowProcW"] = Stub(5, False, None, code=bytes.fromhex(
    "ff742414" * 4 + "ff542414" + "c21400"))


@stdcall(1)
def RegisterWindowMessageW(p, a):
    return 0xC0DE  # registered messages lie in 0xC000..0xFFFF


@stdcall(4)
def PostMessageW(p, a):
    # Records the message; the test delivers it as a message loop would.
    p.state.setdefault("posted", []).append(tuple(a))
    return 1


@stdcall(0)
def GetTickCount(p, a):
    # A clock that moves one millisecond per call.
    p.state["ticks"] = p.state.get("ticks", 1000) + 1
    return p.state["ticks"]


@stdcall(2)
def LoadCursorW(p, a):
    return 0


@stdcall(1)
def RegisterClassExW(p, a):
    # Records the class's record size and window procedure, and fails.
    size, _, procedure = struct.unpack("<III", p.uc.mem_read(a[0], 12))
    p.state.setdefault("classes_asked", []).append((size, procedure))
    return set_error(p, ERROR_NOT_ENOUGH_MEMORY)


@stdcall(0)
def GetLastError(p, a):
    return p.state.get("last_error", 0)
