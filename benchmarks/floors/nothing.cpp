// The do-nothing reference of the start-up benchmark: what any program of the toolchain costs.
int __stdcall WinMain(void*, void*, char*, int) {
    return 0;
}
