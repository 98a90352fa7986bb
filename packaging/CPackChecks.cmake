# Read by cpack before it makes each package: refuses a Debian package that
# would install outside /usr (its /etc files and unit name /usr paths), carry
# programs built with sanitizers, or lack the game's client.
if(CPACK_GENERATOR STREQUAL "DEB")
    set(how "configure a separate build: cmake -S . -B build-pkg -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DQUORVEX_TESTS=OFF, then run cpack in build-pkg")
    if(NOT CPACK_QUORVEX_PREFIX STREQUAL "/usr")
        message(FATAL_ERROR "The Debian package installs under /usr, but this build is configured for ${CPACK_QUORVEX_PREFIX}; ${how}.")
    endif()
    if(CPACK_QUORVEX_SANITIZED)
        message(FATAL_ERROR "This build uses sanitizers, whose programs must not be shipped; ${how}.")
    endif()
    if(NOT CPACK_QUORVEX_HAS_CLIENT)
        message(FATAL_ERROR "This build has no QuorvexClient (SDL2 or OpenGL was not found); run scripts/install-deps.sh and configure again.")
    endif()
endif()
