// The one source of a precompiled-header host: the header is built for this target and other
// targets reuse it (see cmake/KavriPrecompiledHeaders.cmake).
