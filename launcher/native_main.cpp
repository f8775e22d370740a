// The native build's entry, for running the launcher on Linux against the stand-ins.

int main() {
    return 0;
}
