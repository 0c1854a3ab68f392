# Run by CPack after it has built the package. CPack gives every package with a shared object one
# folder below /usr/lib maintainer scripts that call ldconfig. Our only one is the engine module,
# which nothing links and the loader never searches for, so the calls are useless, and a postrm
# keeps a removed package listed until it is purged. The package is rebuilt without them.
foreach(_deb IN LISTS CPACK_PACKAGE_FILES)
  set(_tree ${_deb}.tree)
  file(REMOVE_RECURSE ${_tree})
  execute_process(COMMAND dpkg-deb -R ${_deb} ${_tree} COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE ${_tree}/DEBIAN/postinst ${_tree}/DEBIAN/postrm)
  execute_process(COMMAND dpkg-deb --root-owner-group -b ${_tree} ${_deb} OUTPUT_QUIET
                  COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${_tree})
endforeach()
