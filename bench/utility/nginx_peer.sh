# Sourced by the benchmarks that measure Tollund's file server against nginx: a free loopback
# port, and nginx serving WORK/www on one, set up as a plain static file server.

free_port() {
    python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# start_nginx_peer WORK PORT: starts nginx in the background on 127.0.0.1:PORT serving
# WORK/www, with its files under WORK/nginx; its process id is left in nginx_pid.
start_nginx_peer() {
    local work=$1 port=$2
    mkdir -p "$work/nginx/tmp"
    cat >"$work/nginx/nginx.conf" <<CONF
worker_processes 1;
daemon off;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 4096; }
http {
    access_log off;
    keepalive_timeout 0;
    sendfile on;
    default_type application/octet-stream;
    client_body_temp_path $work/nginx/tmp;
    proxy_temp_path $work/nginx/tmp;
    fastcgi_temp_path $work/nginx/tmp;
    uwsgi_temp_path $work/nginx/tmp;
    scgi_temp_path $work/nginx/tmp;
    server { listen 127.0.0.1:$port; root $work/www; }
}
CONF
    nginx -e "$work/nginx/error.log" -p "$work/nginx" -c "$work/nginx/nginx.conf" &
    nginx_pid=$!
}
