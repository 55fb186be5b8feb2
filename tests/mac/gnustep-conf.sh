# Sourced by the scripts that run the GNUstep host. GNUstep takes the user's
# folders from its configuration, not from HOME: write_gnustep_conf DIR writes
# DIR/GNUstep.conf, which keeps this run's library (Application Support),
# defaults and applications in DIR.
write_gnustep_conf() {
  { cat /etc/GNUstep/GNUstep.conf 2>/dev/null
    echo "GNUSTEP_USER_DIR_LIBRARY=$1/Library"
    echo "GNUSTEP_USER_DEFAULTS_DIR=$1/Defaults"
    echo "GNUSTEP_USER_DIR_APPS=$1/Applications"; } >"$1/GNUstep.conf"
}
