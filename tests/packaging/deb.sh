#!/usr/bin/env bash
# The Debian package from the built tree (no rebuild): its name, its control data (dependencies
# found from the libraries, the scripts that reload the udev rules) and every installed file, and
# the programs unpacked from it run from wherever they are unpacked.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../cli/support/common.sh"
BUILD="${QX_BUILD_DIR:?}"

(cd "$WORK" && cpack --config "$BUILD/CPackConfig.cmake" -B "$WORK/pkg") > "$WORK/cpack.log" 2>&1 \
    || { cat "$WORK/cpack.log"; echo "FAIL: cpack"; exit 1; }
version=$("$BUILD/bin/qx-p2210-cli" --version | awk '{ print $2 }')
deb="$WORK/pkg/qx-p2210_${version}_amd64.deb"
[ -f "$deb" ] || { ls "$WORK/pkg"; echo "FAIL: no $deb"; exit 1; }

# Control data.
dpkg-deb -f "$deb" Package Version Architecture Depends > "$WORK/control"
grep -qx "Package: qx-p2210" "$WORK/control" || fail "package name: $(cat "$WORK/control")"
grep -qx "Version: $version" "$WORK/control" || fail "version: $(cat "$WORK/control")"
for dep in libqt6widgets6 libqt6core6 qt6-qpa-plugins libc6; do
    grep "^Depends:" "$WORK/control" | grep -q "$dep" || fail "Depends lacks $dep: $(grep ^Depends "$WORK/control")"
done
dpkg-deb -I "$deb" postinst | grep -q "udevadm control --reload-rules" || fail "postinst does not reload the udev rules"

# Every installed file is in the package, below /usr.
dpkg -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' > "$WORK/files"
for f in /usr/bin/qx-p2210 /usr/bin/qx-p2210-cli /usr/bin/qx-p2210-radiosim \
         /usr/share/qx-p2210/ZT5531K.OVL /usr/share/qx-p2210/ZT5531KH.OVL \
         /usr/share/qx-p2210/ZT5531K_LMR.QCF /usr/share/qx-p2210/ZT5531K_PMR.QCF \
         /usr/share/qx-p2210/ZT5531K_KPMR.QCF /usr/share/qx-p2210/ZT5531K_D446.QCF \
         /usr/share/applications/org.vexa.qxp2210.desktop /usr/share/metainfo/org.vexa.qxp2210.metainfo.xml \
         /usr/share/mime/packages/qx-p2210.xml /usr/lib/udev/rules.d/60-qx-p2210-cables.rules \
         /usr/share/icons/hicolor/scalable/apps/qx-p2210.svg /usr/share/icons/hicolor/16x16/apps/qx-p2210.png \
         /usr/share/icons/hicolor/48x48/apps/qx-p2210.png /usr/share/icons/hicolor/256x256/apps/qx-p2210.png \
         /usr/share/man/man1/qx-p2210.1.gz /usr/share/man/man1/qx-p2210-cli.1.gz \
         /usr/share/man/man1/qx-p2210-radiosim.1.gz /usr/share/bash-completion/completions/qx-p2210-cli; do
    grep -qx "$f" "$WORK/files" || fail "not in the package: $f"
done
for f in "$QX_SOURCE_DIR"/data/*; do
    grep -qx "/usr/share/qx-p2210/$(basename "$f")" "$WORK/files" || fail "data file not in the package: $(basename "$f")"
done
grep -v -e '/$' -e '^/usr/' "$WORK/files" && fail "files outside /usr"

# Unpacked anywhere, the programs find their data below the same prefix.
dpkg-deb -x "$deb" "$WORK/root"
CLI="$WORK/root/usr/bin/qx-p2210-cli"
run "packaged load" 0 ok load "$WORK/root/usr/share/qx-p2210/ZT5531K_KPMR.QCF"
file "$WORK/root/usr/bin/qx-p2210" | grep -q "not stripped" && fail "the packaged program is not stripped"

exit $((failures > 0))
