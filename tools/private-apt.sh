# Sourced by the scripts that fetch Debian packages with an apt of their own,
# which never touches the host's package state.
#   private_apt DIR ARCH TYPES SUITE
# writes apt's whole configuration under DIR (its own lists, an empty status
# file, its own cache) and a sources list of the Debian mirror (and security
# archive) that the machine's own apt sources name, for package TYPES ("deb"
# or "deb-src") of SUITE and architecture ARCH, and exports APT_CONFIG. No
# host name is written into the project: a machine whose apt sources name no
# Debian archive is told so, and the script stops. TESSARIL_MIRROR and
# TESSARIL_SECURITY_MIRROR, when set, name the archives instead.

debian_source_uris() {
    etc=${TESSARIL_APT_ETC:-/etc/apt} # another folder only in the scripts' test
    cat "$etc/sources.list" "$etc"/sources.list.d/*.list "$etc"/sources.list.d/*.sources \
        2>/dev/null |
        sed -n -e 's/^[[:space:]]*URIs:[[:space:]]*//p' \
            -e 's/^[[:space:]]*deb\(-src\)\{0,1\}[[:space:]]\{1,\}\(\[[^]]*\][[:space:]]*\)\{0,1\}//p' |
        tr ' \t' '\n\n' | sed -e 's,/*$,,' | grep -E '^(https?|file):' || true
}

private_apt() {
    dir=$1 arch=$2 types=$3 suite=$4
    mirror=${TESSARIL_MIRROR:-$(debian_source_uris | grep -E '/debian$' | head -n 1)}
    security=${TESSARIL_SECURITY_MIRROR:-$(debian_source_uris | grep -E '/debian-security$' |
        head -n 1)}
    if [ -z "$mirror" ]; then
        echo "$0: the machine's apt sources (/etc/apt/sources.list," \
            "/etc/apt/sources.list.d/*.list or *.sources) name no Debian archive" \
            "(a URI ending in /debian); add the mirror this machine uses there" >&2
        return 1
    fi
    signed=""
    if [ -f /usr/share/keyrings/debian-archive-keyring.gpg ]; then
        signed=" signed-by=/usr/share/keyrings/debian-archive-keyring.gpg"
    fi
    mkdir -p "$dir/lists/partial" "$dir/cache/archives/partial" "$dir/etc/apt.conf.d" \
        "$dir/etc/sources.list.d" "$dir/etc/preferences.d"
    : >"$dir/status"
    {
        for type in $types; do
            echo "$type [arch=$arch$signed] $mirror $suite main"
            echo "$type [arch=$arch$signed] $mirror $suite-updates main"
            if [ -n "$security" ]; then
                echo "$type [arch=$arch$signed] $security $suite-security main"
            fi
        done
    } >"$dir/etc/sources.list"
    # The whole configuration of this apt. APT_CONFIG is read before the
    # host's apt.conf.d, so pointing Dir::Etc::Parts at an empty folder keeps
    # the host's hooks (which act on the host's state) out; only its proxy
    # settings come along.
    {
        cat <<EOF
Dir::State "$dir";
Dir::State::Lists "$dir/lists";
Dir::State::status "$dir/status";
Dir::State::extended_states "$dir/extended_states";
Dir::Cache "$dir/cache";
Dir::Cache::archives "$dir/cache/archives";
Dir::Cache::pkgcache "";
Dir::Cache::srcpkgcache "";
Dir::Etc::Parts "$dir/etc/apt.conf.d";
Dir::Etc::Main "$dir/etc/apt.conf";
Dir::Etc::SourceList "$dir/etc/sources.list";
Dir::Etc::SourceParts "$dir/etc/sources.list.d";
Dir::Etc::Preferences "$dir/etc/preferences";
Dir::Etc::PreferencesParts "$dir/etc/preferences.d";
Dir::Log "$dir/log";
APT::Architecture "$arch";
APT::Architectures { "$arch"; };
APT::Install-Recommends "false";
APT::Install-Suggests "false";
Acquire::Languages "none";
Debug::NoLocking "true";
EOF
        # Downloads run as _apt, who may not be able to write into the folder.
        if [ "$(id -u)" = 0 ]; then
            echo 'APT::Sandbox::User "root";'
        fi
        apt-config dump 2>/dev/null | grep -i -E '^Acquire::[a-z]+::Proxy' || true
    } >"$dir/apt.conf"
    : >"$dir/etc/apt.conf"
    APT_CONFIG="$dir/apt.conf"
    export APT_CONFIG
    echo "$0: package lists from $mirror ($suite)"
}
