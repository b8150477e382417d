# Sourced by the packaging scripts: the product's name, version, publisher and home page, read
# where the programs themselves take them from, so a release changes each in one place.
#   PRODUCT_NAME, PRODUCT_VERSION  the saver's version block (resources/Vellumar.rc)
#   PRODUCT_PUBLISHER              the copyright holder the dialogs show (resources/Dialogs.rc)
#   PRODUCT_HOME_PAGE              the address the configure dialog opens (host/WebPageAddress.h)
product_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
product_value() {
  sed -n "s/^ *VALUE \"$1\", \"\\([^\"]*\\)\".*/\\1/p" "$product_top/resources/Vellumar.rc"
}
PRODUCT_NAME=$(product_value ProductName)
PRODUCT_VERSION=$(product_value FileVersion)
PRODUCT_PUBLISHER=$(sed -n 's/.*"Copyright (C) [0-9]* \([^"\\]*\)".*/\1/p' "$product_top/resources/Dialogs.rc" | head -n1)
PRODUCT_HOME_PAGE=$(sed -n 's/^#define VELLUMAR_HOME_PAGE_ADDRESS "\(.*\)"$/\1/p' "$product_top/host/WebPageAddress.h")
for product_field in PRODUCT_NAME PRODUCT_VERSION PRODUCT_PUBLISHER PRODUCT_HOME_PAGE; do
  [ -n "${!product_field}" ] || { echo "product.sh: $product_field not found in the sources" >&2; exit 1; }
done
[[ $PRODUCT_VERSION =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "product.sh: version $PRODUCT_VERSION is not N.N.N.N" >&2; exit 1; }
