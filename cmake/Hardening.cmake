# Debian's hardening flags (what `dpkg-buildflags` gives a package build) on
# every build but the sanitizer and fuzzing ones, whose instrumentation they
# would only get in the way of: buffer-overflow checks in the C library's
# string and memory functions, stack protectors, format-string checks, and
# relocations made read-only and resolved at start-up (relro, bindnow).
option(VELMOR_HARDEN "Build with Debian's hardening flags" ON)

if(VELMOR_HARDEN AND NOT VELMOR_SANITIZE AND NOT VELMOR_FUZZ)
  add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
  # The checked functions need the optimiser: a Debug build (-O0) goes without.
  add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()
