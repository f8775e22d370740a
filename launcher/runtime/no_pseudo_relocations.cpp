// At start-up the runtime patches references to data imported from DLLs that the linker could
// only resolve through "pseudo relocations". The program is linked with auto-import and pseudo
// relocations refused (see the top-level CMakeLists.txt), so the link fails before such a
// reference could reach the program, and the list the runtime would walk is always empty. This
// empty version keeps the runtime's relocator, with its section walking, error messages and
// formatted printing, out of the program.

extern "C" void _pei386_runtime_relocator() {}
