# Writes the resource script and its header into a C++ file for the simulated machine.
file(READ ${RC} rc_text)
file(READ ${HDR} hdr_text)
set(delim "KORVEL_RC_EMBED")
file(WRITE ${OUT}.tmp "// Generated from res/wizard.rc and res/resource.h; do not edit.\n"
  "namespace sim { namespace embedded {\n"
  "extern const char kResourceScript[] = R\"${delim}(${rc_text})${delim}\";\n"
  "extern const char kResourceHeader[] = R\"${delim}(${hdr_text})${delim}\";\n"
  "} }\n")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
