#!/usr/bin/env bash
# Fills a demo run directory so a new user only presses "开始": the machine's Java, the demo server
# as the core, 512 MB and autosave every 3 minutes. An existing panel/server.ini is left alone.
set -euo pipefail
demo="$1"
settings="$demo/panel/server.ini"
[ -f "$settings" ] && exit 0

java_path="$(readlink -f "$(command -v java)")"
printf '[服务器数据]\r\nJava路径=%s\r\n核心=demo-server.jar\r\n内存=512\r\n自动保存=3\r\n聊天名称=&f后台\r\n后置参数=\r\n' \
    "$java_path" | iconv -f UTF-8 -t GBK > "$settings.tmp"
mv "$settings.tmp" "$settings"
echo "demo: $settings prepared (Java $java_path, core demo-server.jar, 512 MB)"
