// CPU of a minute of random play: the page in headless Chromium (its renderer process,
// which holds the game's worker threads, and the GPU process that composites the canvas)
// against the native game in a real window under Xvfb, one after the other in one run.
//
// usage: node web/measure_cpu.mjs WEB_DIR NATIVE_TOLVARAN [SEED]
// Prints one JSON line per measurement: CPU seconds over 60 s of play and the share of one
// core.
import { spawn, spawnSync } from 'node:child_process';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const require = createRequire(path.join(root, 'build-web-node', 'package.json'));
const { chromium } = require('playwright-core');
const [webDir, nativeExe, seed = '7'] = process.argv.slice(2);
const tick = Number(spawnSync('getconf', ['CLK_TCK']).stdout.toString().trim()) || 100;
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

function cpuSeconds(pid) {
  try {
    const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
    const f = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
    return (Number(f[11]) + Number(f[12])) / tick;  // utime + stime
  } catch {
    return 0;
  }
}
function processesOf(rootPid) {
  const all = [];
  const walk = (pid) => {
    all.push(pid);
    let kids = '';
    try { kids = fs.readFileSync(`/proc/${pid}/task/${pid}/children`, 'utf8'); } catch { /* gone */ }
    kids.split(' ').filter(Boolean).forEach((k) => walk(Number(k)));
  };
  walk(rootPid);
  return all.map((pid) => {
    let cmd = '';
    try { cmd = fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8'); } catch { /* gone */ }
    return { pid, type: (/--type=([a-z-]+)/.exec(cmd) || [null, 'browser'])[1] };
  });
}
function report(what, seconds, window) {
  console.log(JSON.stringify({ measure: what, cpuSeconds: +seconds.toFixed(2), windowSeconds: window,
    coreShare: +(seconds / window).toFixed(3) }));
}

// ---- the page --------------------------------------------------------------------------------
const server = http.createServer((req, res) => {
  const file = path.join(webDir, path.basename(new URL(req.url, 'http://x').pathname));
  if (!fs.existsSync(file)) { res.writeHead(404); res.end(); return; }
  res.writeHead(200, {
    'Content-Type': file.endsWith('.wasm') ? 'application/wasm' : file.endsWith('.js') ? 'text/javascript' : 'text/html',
    'Cross-Origin-Opener-Policy': 'same-origin', 'Cross-Origin-Embedder-Policy': 'require-corp',
  });
  fs.createReadStream(file).pipe(res);
});
await new Promise((r) => server.listen(0, '127.0.0.1', r));
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tolvaran-chromium-'));
const context = await chromium.launchPersistentContext(profile, {
  executablePath: '/usr/bin/chromium', headless: true,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
const page = context.pages()[0] || await context.newPage();
await page.goto(`http://127.0.0.1:${server.address().port}/tolvaran.html?randomPlay=${seed}&runFor=70000`);
await page.waitForFunction(() => Module.tolvaranPage.frames > 0, null, { timeout: 120000 });
await page.mouse.click(10, 10);  // the sound starts on a click, as for a player
// Chromium's processes: the launcher's child tree (Playwright starts the browser as a child).
const procs = processesOf(process.pid).filter((p) => p.pid !== process.pid);
const pick = (type) => procs.filter((p) => p.type === type).map((p) => p.pid);
const groups = { renderer: pick('renderer'), 'gpu-process': pick('gpu-process'), all: procs.map((p) => p.pid) };
const start = {};
for (const [k, pids] of Object.entries(groups)) start[k] = pids.reduce((s, p) => s + cpuSeconds(p), 0);
await sleep(60000);
for (const [k, pids] of Object.entries(groups)) {
  report(`page: chromium ${k} processes (${pids.length})`, pids.reduce((s, p) => s + cpuSeconds(p), 0) - start[k], 60);
}
const frames = await page.evaluate(() => Module.tolvaranPage.frames);
console.log(JSON.stringify({ measure: 'page frames presented', frames }));
await context.close();
server.close();
fs.rmSync(profile, { recursive: true, force: true });

// ---- the native window -------------------------------------------------------------------------
const native = spawn('xvfb-run', ['-a', '-s', '-screen 0 1280x1024x24', nativeExe,
  '--random-play', seed, '--run-for', '70000'], { env: { ...process.env, SDL_AUDIODRIVER: 'dummy' } });
await sleep(5000);
const nativeProcs = processesOf(native.pid);
const game = nativeProcs.filter((p) => fs.readFileSync(`/proc/${p.pid}/cmdline`, 'utf8').startsWith(nativeExe));
const xvfb = nativeProcs.filter((p) => fs.readFileSync(`/proc/${p.pid}/cmdline`, 'utf8').startsWith('Xvfb'));
const g0 = game.reduce((s, p) => s + cpuSeconds(p.pid), 0);
const x0 = xvfb.reduce((s, p) => s + cpuSeconds(p.pid), 0);
await sleep(60000);
report('native: tolvaran process (SDL window, FluidSynth on the dummy audio driver)', game.reduce((s, p) => s + cpuSeconds(p.pid), 0) - g0, 60);
report('native: Xvfb server', xvfb.reduce((s, p) => s + cpuSeconds(p.pid), 0) - x0, 60);
await new Promise((r) => native.on('exit', r));
