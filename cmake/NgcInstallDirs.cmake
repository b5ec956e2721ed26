# Where things are installed; packaging/ holds the rules. The client's libraries and its module
# live in a folder of their own and the server's libraries in another, since the two packages
# share no file. Relative paths are below the prefix; the FULL ones are absolute.
include(GNUInstallDirs)
set(NGC_INSTALL_CLIENT_LIBDIR ${CMAKE_INSTALL_LIBDIR}/ngc)
set(NGC_INSTALL_MODULEDIR ${NGC_INSTALL_CLIENT_LIBDIR}/modules)
set(NGC_INSTALL_SERVER_LIBDIR ${CMAKE_INSTALL_LIBDIR}/ngc-appserver)
# Units are the same on every architecture: lib/, not the multiarch library folder.
set(NGC_INSTALL_UNITDIR lib/systemd/system)
set(NGC_INSTALL_SERVER_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/ngc-appserver)
set(NGC_SERVER_CONFIG_DIR ${CMAKE_INSTALL_FULL_SYSCONFDIR}/ngc-appserver)
set(NGC_SERVER_CONFIG_FILE ${NGC_SERVER_CONFIG_DIR}/ngc-appserver.conf)
set(NGC_SERVER_DATA_DIR ${CMAKE_INSTALL_FULL_LOCALSTATEDIR}/lib/ngc-appserver)
# The request log, when the configuration names a file there: systemd makes the folder for the
# service (LogsDirectory takes its name below /var/log), logrotate rotates what is in it.
set(NGC_SERVER_LOG_NAME ngc-appserver)
set(NGC_SERVER_LOG_DIR ${CMAKE_INSTALL_FULL_LOCALSTATEDIR}/log/${NGC_SERVER_LOG_NAME})
set(NGC_LOGROTATE_FILE ${CMAKE_INSTALL_FULL_SYSCONFDIR}/logrotate.d/ngc-appserver)
