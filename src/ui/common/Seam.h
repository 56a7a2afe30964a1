#pragma once

// The process-wide backend behind a static seam (message boxes, printers, file dialogs): the
// standard one that talks to the desktop until a test puts its own in place, and the standard
// one again when the test hands back nullptr.
//
// Declared constinit beside its standard backend, so that it points somewhere before any code
// of the program runs, whatever the order in which the files' objects are made.
template <class Backend> class Seam
{
public:
    constexpr explicit Seam(Backend& standard) : m_standard(&standard), m_current(&standard) {}

    Backend* operator->() const { return m_current; }

    // nullptr puts the standard backend back.
    void replace(Backend* backend) { m_current = backend ? backend : m_standard; }

private:
    Backend* m_standard;
    Backend* m_current;
};
