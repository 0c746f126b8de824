#!/usr/bin/env bash
# Renders the three screens of the built host as the README shows them:
#   make-screenshots.sh [BUILD_DIR] [OUT_DIR]   (defaults: build docs)
# writes OUT_DIR/company.png, sites.png and tasks.png. The host runs from a
# copy of the build's host folder with a fresh demo database and a demo
# company profile, so no data of the developer's own reaches the pictures.
# Dates show in the Chinese locale's format, as a user of the screens sees them.
set -euo pipefail
build=${1:-build} out=${2:-docs}
source=$(cd "$(dirname "$0")/.." && pwd)

work=$(mktemp -d /tmp/nimbrel-screenshots.XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
cp -a "$build/app/." "$work/"
rm -rf "$work/data" "$work/database.ini"
mkdir "$work/data"
cp "$source/install/res/gridpos.ini" "$work/res/gridpos.ini" # the installed column widths

# The profile is a GBK file with CRLF line ends, as the company screen saves it.
iconv -f UTF-8 -t GBK <<'PROFILE' | sed 's/$/\r/' >"$work/data/company.ini"
[.]
Name=青岚示例贸易有限公司
Company=青岚示例贸易有限公司
UserName=qinglan
UserPass=demo2024
Contact=林晓
Address=示例省示例市新港路18号
PostCode=100000
Homepage=www.example.com
Email=sales@example.com
Area=010
Phone=12345678
Fax=12345679
Mobile=13800000000
Province=示例省
City=示例市
Trade=家居用品
Business=竹木餐具、收纳用品的生产与批发
Xingzhi=私营企业
Moshi=制造商
Yuangong=45
Zijin=200万元
Abstract=本公司专业生产竹木餐具与收纳用品,产品远销国内外,欢迎来电洽谈合作。
PROFILE

shoot() {
  LANG=zh_CN.UTF-8 LC_ALL='' LC_TIME='' QT_QPA_PLATFORM=offscreen "$work/nimbrel-host" \
    --screenshot "$1" >/dev/null
}

# A first start makes and seeds the demo database; then the worker stand-in
# publishes the first task to three demo sites and one that is not in the
# directory, so the task list shows its counts.
shoot "$work/first"
printf '[Korvald]\r\nConnect=Provider=SQLite;Data Source=data/nimbrel.db\r\n' >"$work/database.ini"
iconv -f UTF-8 -t GBK <<'SITES' | sed 's/$/\r/' >"$work/data/nimbrel1.tsk"
1,华东商务信息网
2,中华供求信息网
6,机械设备信息网
99,已停运信息网
SITES
"$work/Korvald.exe" --pause 0 'task=Nimbrel&Keyid=1' >/dev/null

mkdir -p "$out"
shoot "$out"
ls "$out"/company.png "$out"/sites.png "$out"/tasks.png
