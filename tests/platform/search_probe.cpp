// A DLL beside windows_boundary_test that only a search of the program's folder finds.
extern "C" __declspec(dllexport) int SearchProbe() {
    return 1;
}
