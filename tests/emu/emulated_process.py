"""A 32-bit Windows process inside the Unicorn CPU emulator, just large enough
to load Vexlar.dll and call its entry points as a host does.

The loader maps the PE32 image (at its preferred base or relocated), points
every import at a stub address, sets up one thread (stack, TEB, TLS), runs the
TLS call-backs and the entry point, and calls exports with the stdcall
convention. Imports are implemented in Python (windows_stubs.py); calling an
import that has no implementation stops the run and names it.

Memory layout (all below 2 GB, like a 32-bit user process):
  below 0x00100000       unmapped: a null pointer dereference faults
  0x00100000 - 0x00200000 the thread's stack
  0x00200000             TEB, then PEB and the TLS pointer array
  0x01000000 - 0x05000000 the heap (every allocator of the stubs)
  0x7f000000             one 16-byte stub per import, then the host's call-backs
  0x7fff0000             where exports return to the host
"""

import struct

from unicorn import (UC_ARCH_X86, UC_HOOK_CODE, UC_HOOK_MEM_INVALID, UC_HOOK_MEM_READ,
                     UC_MEM_FETCH_PROT, UC_MEM_FETCH_UNMAPPED, UC_MEM_READ_PROT,
                     UC_MEM_READ_UNMAPPED, UC_MEM_WRITE_PROT, UC_MEM_WRITE_UNMAPPED, UC_MODE_32,
                     UC_PROT_EXEC, UC_PROT_READ, UC_PROT_WRITE, Uc, UcError)
from unicorn.x86_const import (UC_X86_REG_EAX, UC_X86_REG_EBP, UC_X86_REG_EBX, UC_X86_REG_ECX,
                               UC_X86_REG_EDI, UC_X86_REG_EDX, UC_X86_REG_EFLAGS,
                               UC_X86_REG_EIP, UC_X86_REG_ESI, UC_X86_REG_ESP,
                               UC_X86_REG_FPCW, UC_X86_REG_FS, UC_X86_REG_GDTR,
                               UC_X86_REG_MXCSR, UC_X86_REG_SS)

PAGE = 0x1000
STACK_BASE, STACK_SIZE = 0x00100000, 0x00100000
TEB = 0x00200000
PEB = TEB + 0x1000
TLS_ARRAY = TEB + 0x2000
GDT = TEB + 0x3000
HEAP_BASE, HEAP_SIZE = 0x01000000, 0x04000000
STUB_BASE, STUB_SIZE, STUB_SLOT = 0x7F000000, 0x00100000, 16
HOST_RETURN = 0x7FFF0000
# Instructions one call may run before it counts as runaway work.
INSTRUCTION_BUDGET = 200_000_000

# Callee-saved registers of the 32-bit Windows convention, and the values they
# hold when the host calls in: each export must give them back unchanged.
CALLEE_SAVED = {"EBX": (UC_X86_REG_EBX, 0x0B0B0B0B), "ESI": (UC_X86_REG_ESI, 0x51515151),
                "EDI": (UC_X86_REG_EDI, 0xD1D1D1D1), "EBP": (UC_X86_REG_EBP, 0xB9B9B9B9)}
DIRECTION_FLAG = 0x400
# The floating-point control state is the caller's too: the x87 control word
# and SSE's MXCSR, by default as Windows sets them (53-bit precision, every
# exception masked).
WINDOWS_FP_CONTROL = (0x027F, 0x1F80)


class EmulationError(Exception):
    """The module did something a Windows process would not survive, or
    called an import that has no stub."""


def align_up(value, alignment):
    return (value + alignment - 1) // alignment * alignment


class PeImage:
    """What the loader needs from a PE32 file."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise EmulationError("not a PE file: no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise EmulationError("not a PE file: no PE signature")
        machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        if machine != 0x14C:
            raise EmulationError("not an i386 image: machine 0x%x" % machine)
        opt = pe + 24
        if struct.unpack_from("<H", data, opt)[0] != 0x10B:
            raise EmulationError("not a PE32 image")
        self.entry_rva = struct.unpack_from("<I", data, opt + 16)[0]
        self.image_base = struct.unpack_from("<I", data, opt + 28)[0]
        self.image_size = struct.unpack_from("<I", data, opt + 56)[0]
        self.headers_size = struct.unpack_from("<I", data, opt + 60)[0]
        count = struct.unpack_from("<I", data, opt + 92)[0]
        self.directories = [struct.unpack_from("<II", data, opt + 96 + 8 * i) for i in range(count)]
        self.sections = []
        table = opt + optional_size
        for i in range(sections):
            name, vsize, rva, raw_size, raw_at = struct.unpack_from("<8sIIII", data, table + 40 * i)
            flags = struct.unpack_from("<I", data, table + 40 * i + 36)[0]
            self.sections.append((name.rstrip(b"\0").decode(), rva, vsize, raw_at, raw_size, flags))

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)


def section_protection(flags):
    prot = 0
    if flags & 0x40000000:
        prot |= UC_PROT_READ
    if flags & 0x80000000:
        prot |= UC_PROT_WRITE
    if flags & 0x20000000:
        prot |= UC_PROT_EXEC | UC_PROT_READ
    return prot


class Heap:
    """Every allocator of the process draws from one region. Blocks are never
    reused; new blocks are filled with 0xCD unless zeroed, freed ones with
    0xDD, so reading uninitialised or freed memory shows. Each block keeps the
    family that allocated it: freeing it through another family, twice, or
    at an address that is no block stops the run."""

    def __init__(self, uc):
        self.uc = uc
        self.next = HEAP_BASE
        self.blocks = {}  # address -> (size, family)

    def alloc(self, size, family, zero=False):
        size = max(size, 1)
        if self.next + size > HEAP_BASE + HEAP_SIZE:
            return 0
        address = self.next
        self.next = align_up(address + size + 16, 16)  # a gap between blocks
        self.uc.mem_write(address, (b"\0" if zero else b"\xcd") * size)
        self.blocks[address] = (size, family)
        return address

    def free(self, address, family):
        if address not in self.blocks:
            raise EmulationError("%s frees 0x%08x, which is no live block" % (family, address))
        size, owner = self.blocks.pop(address)
        if owner != family:
            raise EmulationError("%s frees 0x%08x, a block of %s" % (family, address, owner))
        self.uc.mem_write(address, b"\xdd" * size)

    def size(self, address):
        block = self.blocks.get(address)
        return block[0] if block else None

    def live(self, family):
        return sorted(a for a, (_, f) in self.blocks.items() if f == family)


class EmulatedProcess:
    """One process with one thread and one loaded module."""

    def __init__(self, dll_path, stubs, relocate_to=None):
        self.uc = Uc(UC_ARCH_X86, UC_MODE_32)
        self.stubs = stubs  # name -> Stub (see windows_stubs.py)
        self.state = {}  # for the stubs: TLS slots, last error, graphics tokens...
        self.calls = []  # every import called, by name, in order
        self.fault = None
        self.host_fp_control = WINDOWS_FP_CONTROL  # (x87 control word, MXCSR) at each call
        self.uc.mem_map(STACK_BASE, STACK_SIZE, UC_PROT_READ | UC_PROT_WRITE)
        self.uc.mem_map(TEB, 0x4000, UC_PROT_READ | UC_PROT_WRITE)
        self.uc.mem_map(HEAP_BASE, HEAP_SIZE, UC_PROT_READ | UC_PROT_WRITE)
        self.uc.mem_map(STUB_BASE, STUB_SIZE, UC_PROT_READ | UC_PROT_EXEC)
        self.uc.mem_map(HOST_RETURN, PAGE, UC_PROT_READ | UC_PROT_EXEC)
        self.heap = Heap(self.uc)
        self.stub_at = {}  # address -> (name, implementation or None)
        self.native_code = []  # (begin, end) of the stubs in machine code
        self.next_stub = STUB_BASE
        self._set_up_thread()
        stub_end = STUB_BASE + STUB_SIZE - 1
        self.uc.hook_add(UC_HOOK_CODE, self._on_stub, begin=STUB_BASE, end=stub_end)
        self.uc.hook_add(UC_HOOK_MEM_READ, self._on_stub_read, begin=STUB_BASE, end=stub_end)
        self.uc.hook_add(UC_HOOK_MEM_INVALID, self._on_invalid)
        self.image = PeImage(open(dll_path, "rb").read())
        self.base = relocate_to if relocate_to is not None else self.image.image_base
        self._map_image()
        self._bind_imports()
        self.exports = self._read_exports()

    # ---- memory helpers -------------------------------------------------
    def read_u32(self, address):
        return struct.unpack("<I", self.uc.mem_read(address, 4))[0]

    def write_u32(self, address, value):
        self.uc.mem_write(address, struct.pack("<I", value & 0xFFFFFFFF))

    def read_bytes_z(self, address, limit=1 << 16):
        """A zero-terminated byte string."""
        out = bytearray()
        while len(out) < limit:
            chunk = bytes(self.uc.mem_read(address + len(out), 1))
            if chunk == b"\0":
                return bytes(out)
            out += chunk
        raise EmulationError("no terminator within %d bytes at 0x%08x" % (limit, address))

    def read_wide_z(self, address, limit=1 << 16):
        out = []
        while len(out) < limit:
            unit = struct.unpack("<H", self.uc.mem_read(address + 2 * len(out), 2))[0]
            if unit == 0:
                return "".join(map(chr, out))
            out.append(unit)
        raise EmulationError("no terminator within %d units at 0x%08x" % (limit, address))

    def is_mapped(self, address, size, prot):
        """True when every byte of the range is mapped with the protection."""
        end = address + max(size, 1)
        for begin, last, perms in self.uc.mem_regions():
            if begin <= address <= last and perms & prot == prot:
                if end - 1 <= last:
                    return True
                address = last + 1
                return self.is_mapped(address, end - address, prot)
        return False

    def host_block(self, data):
        """Bytes the host owns (parameter strings, arrays)."""
        address = self.heap.alloc(len(data), "host")
        self.uc.mem_write(address, data)
        return address

    # ---- the thread --------------------------------------------------------
    def _set_up_thread(self):
        # TEB: exception list (none), stack base and limit, ..., self at 0x18,
        # process and thread ids at 0x20, the TLS pointer array at 0x2C.
        teb = struct.pack("<IIIIIIIIIIII", 0xFFFFFFFF, STACK_BASE + STACK_SIZE, STACK_BASE, 0, 0, 0,
                          TEB, 0, 0x1000, 0x1004, 0, TLS_ARRAY)
        self.uc.mem_write(TEB, teb)
        self.write_u32(TEB + 0x30, PEB)
        # FS addresses the TEB through a GDT of our own. Loading the GDT makes
        # the CPU read SS from it too: give it a flat 32-bit stack segment.
        def descriptor(base, limit, access, flags):
            return struct.pack("<Q", (limit & 0xFFFF) | (base & 0xFFFFFF) << 16 | access << 40 |
                               (limit >> 16 & 0xF) << 48 | flags << 52 | (base >> 24 & 0xFF) << 56)
        data = 0x80 | 0x10 | 0x02  # present, data, writable
        self.uc.mem_write(GDT + 8 * 2, descriptor(0, 0xFFFFF, data, 0xC))  # 4 KB units, 32-bit
        self.uc.mem_write(GDT + 8 * 3, descriptor(TEB, 0xFFF, data | 0x60, 0x4))  # ring 3
        self.uc.reg_write(UC_X86_REG_GDTR, (0, GDT, 8 * 4 - 1, 0))
        self.uc.reg_write(UC_X86_REG_SS, 2 << 3)
        self.uc.reg_write(UC_X86_REG_FS, 3 << 3 | 3)

    # ---- loading -------------------------------------------------------------
    def _map_image(self):
        # Each part mapped with its own protection (changing it afterwards is
        # slow in Unicorn); mem_write ignores protections.
        img = self.image
        self.uc.mem_map(self.base, align_up(img.headers_size, PAGE), UC_PROT_READ)
        self.uc.mem_write(self.base, img.data[:img.headers_size])
        for name, rva, vsize, raw_at, raw_size, flags in img.sections:
            self.uc.mem_map(self.base + rva, align_up(max(vsize, raw_size), PAGE),
                            section_protection(flags))
            raw = img.data[raw_at:raw_at + min(raw_size, vsize or raw_size)]
            self.uc.mem_write(self.base + rva, raw)
        self._relocate(self.base - img.image_base)

    def _relocate(self, delta):
        rva, size = self.image.directory(5)
        if delta == 0:
            return
        if not rva:
            raise EmulationError("the image has no relocations and cannot move")
        at, end = self.base + rva, self.base + rva + size
        while at < end:
            page, block_size = struct.unpack("<II", self.uc.mem_read(at, 8))
            if block_size < 8:
                break
            entries = self.uc.mem_read(at + 8, block_size - 8)
            for (entry,) in struct.iter_unpack("<H", entries):
                kind, offset = entry >> 12, entry & 0xFFF
                if kind == 3:  # IMAGE_REL_BASED_HIGHLOW
                    target = self.base + page + offset
                    self.write_u32(target, self.read_u32(target) + delta)
                elif kind != 0:
                    raise EmulationError("relocation type %d is not handled" % kind)
            at += block_size

    def make_stub(self, name, implementation):
        """Code at a new stub address. A stub in Python is 'ret n' for its
        convention, reached only through _on_stub, which runs the Python
        first; a stub in machine code (one that calls back into the module)
        is that code."""
        address = self.next_stub
        if implementation and implementation.code:
            code = implementation.code
            self.native_code.append((address, address + len(code)))
        else:
            pops = implementation.pops if implementation else 0
            code = b"\xc2" + struct.pack("<H", pops) if pops else b"\xc3"
        self.next_stub += align_up(len(code), STUB_SLOT)
        self.uc.mem_write(address, code)
        self.stub_at[address] = (name, implementation)
        return address

    def _bind_imports(self):
        rva, _ = self.image.directory(1)
        self.imports = {}
        at = self.base + rva
        while True:
            lookup, _, _, name_rva, iat = struct.unpack("<IIIII", self.uc.mem_read(at, 20))
            if name_rva == 0:
                break
            dll = self.read_bytes_z(self.base + name_rva).decode()
            table = lookup or iat
            i = 0
            while True:
                thunk = self.read_u32(self.base + table + 4 * i)
                if thunk == 0:
                    break
                if thunk & 0x80000000:
                    name = "%s#%d" % (dll, thunk & 0xFFFF)
                else:
                    name = self.read_bytes_z(self.base + thunk + 2).decode()
                stub = self.make_stub(name, self.stubs.get(name))
                self.imports[name] = stub
                self.write_u32(self.base + iat + 4 * i, stub)
                i += 1
            at += 20

    def _read_exports(self):
        rva, _ = self.image.directory(0)
        d = self.base + rva
        ordinal_base, functions, names, at_functions, at_names, at_ordinals = struct.unpack(
            "<IIIIII", self.uc.mem_read(d + 16, 24))
        exports = {}
        for i in range(names):
            name_at = self.base + self.read_u32(self.base + at_names + 4 * i)
            name = self.read_bytes_z(name_at).decode()
            index = struct.unpack("<H", self.uc.mem_read(self.base + at_ordinals + 2 * i, 2))[0]
            exports[name] = self.base + self.read_u32(self.base + at_functions + 4 * index)
        self.module_name = self.read_bytes_z(self.base + self.read_u32(d + 12)).decode()
        self.export_ordinal_base = ordinal_base
        return exports

    # ---- hooks ---------------------------------------------------------------
    def _on_stub(self, uc, address, size, _):
        name, implementation = self.stub_at.get(address, (None, None))
        if name is None:
            if any(begin <= address < end for begin, end in self.native_code):
                return
            raise EmulationError("execution reached 0x%08x between import stubs" % address)
        if implementation is None:
            caller = self.read_u32(uc.reg_read(UC_X86_REG_ESP))
            raise EmulationError("import without a stub called: %s (from 0x%08x%s)" % (
                name, caller, self.where(caller)))
        self.calls.append(name)
        if implementation.code:
            return
        esp = uc.reg_read(UC_X86_REG_ESP)
        argc = implementation.argc
        args = struct.unpack("<%dI" % argc, uc.mem_read(esp + 4, 4 * argc))
        result = implementation.run(self, args)
        uc.reg_write(UC_X86_REG_EAX, (result or 0) & 0xFFFFFFFF)
        # The convention lets a callee change ECX and EDX: do so, so that a
        # caller relying on them shows.
        uc.reg_write(UC_X86_REG_ECX, 0xCCCC0000 | (address & 0xFFFF))
        uc.reg_write(UC_X86_REG_EDX, 0xDDDD0000 | (address & 0xFFFF))

    def _on_stub_read(self, uc, access, address, size, value, _):
        name = self.stub_at.get(address - address % STUB_SLOT, ("?",))[0]
        raise EmulationError("the module reads import %s as data" % name)

    def _on_invalid(self, uc, access, address, size, value, _):
        kinds = {UC_MEM_READ_UNMAPPED: "reads unmapped", UC_MEM_WRITE_UNMAPPED: "writes unmapped",
                 UC_MEM_FETCH_UNMAPPED: "executes unmapped", UC_MEM_READ_PROT: "reads protected",
                 UC_MEM_WRITE_PROT: "writes read-only", UC_MEM_FETCH_PROT: "executes non-code"}
        eip = uc.reg_read(UC_X86_REG_EIP)
        self.fault = "%s memory at 0x%08x (EIP 0x%08x%s)" % (
            kinds.get(access, "bad access to"), address, eip, self.where(eip))
        return False

    def where(self, address):
        rva = address - self.base
        if 0 <= rva < self.image.image_size:
            return ", module RVA 0x%x" % rva
        return ""

    # ---- calling into the module ------------------------------------------------
    def call(self, address, args, name):
        """Calls code at address as the host does: stdcall, the callee-saved
        registers preset, the direction flag clear, the floating-point
        control words as host_fp_control says. Returns EAX; raises
        EmulationError when the callee faults, runs away, calls an import
        without a stub, or returns with the stack or registers wrong."""
        uc = self.uc
        # Entry with ESP = 4 mod 16 after the return address: the host owes
        # the module no more than 4-byte alignment.
        top = STACK_BASE + STACK_SIZE - 0x100
        frame = bytearray(struct.pack("<I", HOST_RETURN))
        for a in args:
            frame += struct.pack("<I", a & 0xFFFFFFFF)
        esp = (top - len(frame)) & ~0xF | 0x4
        uc.mem_write(esp, bytes(frame))
        expected_esp = esp + len(frame)
        uc.reg_write(UC_X86_REG_ESP, esp)
        for reg, value in CALLEE_SAVED.values():
            uc.reg_write(reg, value)
        uc.reg_write(UC_X86_REG_EFLAGS, uc.reg_read(UC_X86_REG_EFLAGS) & ~DIRECTION_FLAG)
        control_word, mxcsr = self.host_fp_control
        uc.reg_write(UC_X86_REG_FPCW, control_word)
        uc.reg_write(UC_X86_REG_MXCSR, mxcsr)
        self.fault = None
        try:
            uc.emu_start(address, HOST_RETURN, count=INSTRUCTION_BUDGET)
        except UcError as e:
            raise EmulationError("%s: %s" % (name, self.fault or e)) from None
        except EmulationError as e:
            raise EmulationError("%s: %s" % (name, e)) from None
        eip = uc.reg_read(UC_X86_REG_EIP)
        if eip != HOST_RETURN:
            raise EmulationError("%s: stopped at 0x%08x without returning (runaway?)" % (name, eip))
        problems = []
        got = uc.reg_read(UC_X86_REG_ESP)
        if got != expected_esp:
            problems.append("ESP is 0x%08x, expected 0x%08x (%+d bytes)" % (got, expected_esp,
                                                                          got - expected_esp))
        for reg_name, (reg, value) in CALLEE_SAVED.items():
            if uc.reg_read(reg) != value:
                problems.append("%s changed to 0x%08x" % (reg_name, uc.reg_read(reg)))
        if uc.reg_read(UC_X86_REG_EFLAGS) & DIRECTION_FLAG:
            problems.append("the direction flag is left set")
        if uc.reg_read(UC_X86_REG_FPCW) != control_word:
            problems.append("the x87 control word is 0x%04x" % uc.reg_read(UC_X86_REG_FPCW))
        if uc.reg_read(UC_X86_REG_MXCSR) & 0xFFC0 != mxcsr:  # the low bits are status flags
            problems.append("MXCSR is 0x%04x" % uc.reg_read(UC_X86_REG_MXCSR))
        if problems:
            raise EmulationError("%s returns breaking the convention: %s" %
                                 (name, "; ".join(problems)))
        return uc.reg_read(UC_X86_REG_EAX)

    def call_export(self, name, *args):
        if name not in self.exports:
            raise EmulationError("no export named %s" % name)
        return self.call(self.exports[name], args, name)

    # ---- the module's life ---------------------------------------------------------
    def _run_tls_callbacks(self, reason):
        rva, _ = self.image.directory(9)
        if not rva:
            return
        start, end, index_at, callbacks_at = struct.unpack("<IIII",
                                                            self.uc.mem_read(self.base + rva, 16))
        if reason == 1:
            # The module's TLS block for this thread: its template, then zeros.
            zero_fill = self.read_u32(self.base + rva + 16)
            template = bytes(self.uc.mem_read(start, end - start))
            block = self.heap.alloc(len(template) + zero_fill, "loader", zero=True)
            self.uc.mem_write(block, template)
            self.write_u32(index_at, 0)
            self.write_u32(TLS_ARRAY, block)
        while callbacks_at:
            callback = self.read_u32(callbacks_at)
            if callback == 0:
                break
            self.call(callback, (self.base, reason, 0), "TLS call-back 0x%08x" % callback)
            callbacks_at += 4

    def attach(self):
        """What LoadLibrary does once the image is mapped: TLS call-backs,
        then the entry point with DLL_PROCESS_ATTACH. Returns its result."""
        self._run_tls_callbacks(1)
        return self.call(self.base + self.image.entry_rva, (self.base, 1, 0), "DllMain(ATTACH)")

    def detach(self):
        """What FreeLibrary does: the entry point with DLL_PROCESS_DETACH and
        a null reserved argument, then the TLS call-backs."""
        result = self.call(self.base + self.image.entry_rva, (self.base, 0, 0), "DllMain(DETACH)")
        self._run_tls_callbacks(0)
        return result
