"""The tables of a Windows image (PE32 for x86, PE32+ for x64) read from its file, without
loading it: the DLLs and names it imports, the names it exports, its version resource."""
import struct

X86, X64 = 0x14C, 0x8664


class Image:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        self.path = path
        pe, = struct.unpack_from("<I", self.data, 0x3C)
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise SystemExit(f"{path}: not a PE image")
        self.machine, section_count = struct.unpack_from("<HH", self.data, pe + 4)
        optional_size, = struct.unpack_from("<H", self.data, pe + 20)
        optional = pe + 24
        magic, = struct.unpack_from("<H", self.data, optional)
        self.wide = magic == 0x20B  # PE32+: 64-bit addresses in the import thunks
        directories = optional + (112 if self.wide else 96)
        self.directories = [struct.unpack_from("<II", self.data, directories + 8 * i) for i in range(16)]
        self.sections = []
        for index in range(section_count):
            at = optional + optional_size + 40 * index
            virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from("<IIII", self.data, at + 8)
            self.sections.append((virtual_address, max(virtual_size, raw_size), raw_pointer))

    def offset(self, rva):
        for address, size, raw in self.sections:
            if address <= rva < address + size:
                return raw + rva - address
        raise SystemExit(f"{self.path}: address {rva:#x} is in no section")

    def text(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode()

    def imports(self):
        """{dll name (lower case): [imported names, "#n" for an ordinal]}."""
        result = {}
        rva = self.directories[1][0]
        descriptor = self.offset(rva) if rva else None
        thunk_size, ordinal_flag = (8, 1 << 63) if self.wide else (4, 1 << 31)
        while descriptor is not None:
            lookup, _, _, name_rva, first_thunk = struct.unpack_from("<IIIII", self.data, descriptor)
            if name_rva == 0:
                break
            names = result.setdefault(self.text(name_rva).lower(), [])
            thunk = self.offset(lookup or first_thunk)
            while True:
                entry = int.from_bytes(self.data[thunk:thunk + thunk_size], "little")
                if entry == 0:
                    break
                # By ordinal, or the address of a hint (two bytes) and the name.
                names.append(f"#{entry & 0xFFFF}" if entry & ordinal_flag else self.text((entry & 0x7FFFFFFF) + 2))
                thunk += thunk_size
            descriptor += 20
        return result

    def exports(self):
        """The exported names, and how many functions the table has (named or not)."""
        rva = self.directories[0][0]
        if not rva:
            return set(), 0
        at = self.offset(rva)
        function_count, name_count, functions, names = struct.unpack_from("<IIII", self.data, at + 20)
        used = sum(1 for i in range(function_count)
                   if struct.unpack_from("<I", self.data, self.offset(functions) + 4 * i)[0])
        return {self.text(struct.unpack_from("<I", self.data, self.offset(names) + 4 * i)[0])
                for i in range(name_count)}, used

    def resource(self, kind):
        """The bytes of the first resource of a type (an id, such as 16 for a version resource)."""
        rva = self.directories[2][0]
        if not rva:
            return None
        base = self.offset(rva)

        def first(directory, wanted=None):
            named, numbered = struct.unpack_from("<HH", self.data, directory + 12)
            for index in range(named + numbered):
                ident, target = struct.unpack_from("<II", self.data, directory + 16 + 8 * index)
                if wanted is None or ident == wanted:
                    return target
            return None

        level = first(base, kind)
        for _ in range(2):  # the name, then the language
            if level is None or not level & 0x80000000:
                return None
            level = first(base + (level & 0x7FFFFFFF))
        if level is None:
            return None
        data_rva, size = struct.unpack_from("<II", self.data, base + level)
        at = self.offset(data_rva)
        return self.data[at:at + size]
