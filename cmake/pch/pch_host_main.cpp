// The one source of the precompiled-header host for executables (see
// cmake/KavriPrecompiledHeaders.cmake): executables compile as position-independent executables,
// which GCC's precompiled headers tell apart from position-independent library code.
int main()
{
    return 0;
}
