// The ncursesw backend.
