// Points the program's own import of a system entry at a replacement, as a stand-in loaded into the
// program needs for calls that go to no library of its own.
#pragma once

#include <windows.h>

#include <cstring>

// Writes one word of memory that may be read-only (a method table, an import table).
template <typename Word>
void PatchWord(Word& entry, Word replacement) {
  DWORD was = 0;
  if (VirtualProtect(&entry, sizeof entry, PAGE_READWRITE, &was)) {
    entry = replacement;
    VirtualProtect(&entry, sizeof entry, was, &was);
  }
}

// The program's import of library!name now calls replacement; returns the real entry, or nullptr
// when the program doesn't import it.
inline void* RedirectProgramImport(const char* library, const char* name, void* replacement) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return nullptr;
  for (auto* module = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       module->Name != 0; ++module) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + module->Name), library) != 0) continue;
    auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
    auto* entries = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++entries) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) != 0) continue;
      void* real = reinterpret_cast<void*>(entries->u1.Function);
      PatchWord(entries->u1.Function,
                static_cast<decltype(entries->u1.Function)>(reinterpret_cast<ULONG_PTR>(replacement)));
      return real;
    }
  }
  return nullptr;
}
