#!/usr/bin/env bash
# Makes a print queue that writes PDF files available for the end-to-end print
# tests: installs CUPS and cups-pdf, starts cupsd when it is not running (no
# systemd needed), adds a "Brisvale_PDF" queue and makes it the default.
# Safe to run again. Failure here never stops the test run: without a queue
# the print tests skip.
set -uo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
queue="${BRISVALE_CUPS_QUEUE:-Brisvale_PDF}"

need=()
for p in cups cups-client cups-bsd printer-driver-cups-pdf; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  # Package scripts try to start services; without an init system they must
  # not fail the install.
  if [ ! -e /usr/sbin/policy-rc.d ]; then
    printf '#!/bin/sh\nexit 101\n' | $SUDO tee /usr/sbin/policy-rc.d >/dev/null
    $SUDO chmod +x /usr/sbin/policy-rc.d
    remove_policy=1
  fi
  $SUDO apt-get update -qq || true
  $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null || {
    echo "cups-setup: could not install ${need[*]}; print tests will skip" >&2
    exit 0
  }
  if [ "${remove_policy:-0}" = 1 ]; then $SUDO rm -f /usr/sbin/policy-rc.d; fi
fi

if ! lpstat -r 2>/dev/null | grep -q "is running"; then
  $SUDO mkdir -p /run/cups /var/spool/cups-pdf/ANONYMOUS
  $SUDO /usr/sbin/cupsd || true
  for _ in $(seq 1 50); do
    lpstat -r 2>/dev/null | grep -q "is running" && break
    sleep 0.2
  done
fi
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
  echo "cups-setup: cupsd is not running; print tests will skip" >&2
  exit 0
fi

if ! lpstat -p "$queue" >/dev/null 2>&1; then
  ppd=$(ls /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd /usr/share/ppd/cups-pdf/*.ppd 2>/dev/null | head -n1)
  if [ -n "$ppd" ]; then
    $SUDO lpadmin -p "$queue" -v cups-pdf:/ -E -P "$ppd" || true
  else
    $SUDO lpadmin -p "$queue" -v cups-pdf:/ -E -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd || true
  fi
fi
$SUDO cupsenable "$queue" 2>/dev/null || true
$SUDO cupsaccept "$queue" 2>/dev/null || true
$SUDO lpadmin -d "$queue" || true
lpstat -d -p "$queue" || true
exit 0
