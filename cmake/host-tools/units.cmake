# The host tools' units, from the project's root: what cmake/host-tools
# builds, and what configures the project again when one of them changes.
set(VISTREL_HOST_BACKEND_UNITS backend/info_file backend/words backend/trace backend/app_icon
    backend/png backend/deflate backend/icns)
set(VISTREL_HOST_PROGRAM_UNITS mac/make_info_plist mac/make_app_icon)
