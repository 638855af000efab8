// The browser build in headless Chromium, driven through playwright-core (Debian's chromium;
// Playwright's own browsers are never downloaded).
//
// usage: node web_test.mjs WEB_DIR NATIVE_TOLVARAN
//
// 1. Play: the page loads, Enter starts the level, the hero walks right for a second and
//    swings; the canvas shows the level, the state dump (the page's dumpState()) has the
//    level built and the hero moved right by a multiple of 3, and the sound is running.
// 2. One game, two platforms: three scripted runs and two random-play seeds, headless
//    through the address, give the same dump and screenshots, byte for byte, as the native
//    build's headless runs.
// Prints what it measured (time to the splash, download size) as JSON lines.
import { spawnSync } from 'node:child_process';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { fileURLToPath } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '../..');
const require = createRequire(path.join(root, 'build-web-node', 'package.json'));
const { chromium } = require('playwright-core');

const [webDir, nativeExe] = process.argv.slice(2);
if (!webDir || !nativeExe) {
  console.error('usage: web_test.mjs WEB_DIR NATIVE_TOLVARAN');
  process.exit(2);
}

let failures = 0;
function check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) failures++;
}

// ---- a server like scripts/web.sh --serve: static files, isolated from other origins ----
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
const server = http.createServer((req, res) => {
  const name = path.basename(decodeURIComponent(new URL(req.url, 'http://x').pathname));
  const file = path.join(webDir, name);
  if (!name || !fs.existsSync(file)) {
    res.writeHead(404);
    res.end();
    return;
  }
  res.writeHead(200, {
    'Content-Type': types[path.extname(name)] || 'application/octet-stream',
    'Cross-Origin-Opener-Policy': 'same-origin',
    'Cross-Origin-Embedder-Policy': 'require-corp',
  });
  fs.createReadStream(file).pipe(res);
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const base = `http://127.0.0.1:${server.address().port}/tolvaran.html`;

const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tolvaran-chromium-'));
const context = await chromium.launchPersistentContext(profile, {
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});

try {
  if (!process.env.TOLVARAN_WEB_RUNS) await play();
  await twoPlatforms();
} finally {
  await context.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
}

// ---- 1. play in the page --------------------------------------------------------------------
async function play() {
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  // A gamepad with the standard layout that the test plugs in and presses.
  await page.addInitScript(() => {
    const buttons = Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 }));
    window.testPad = { plugged: false, pad: { index: 0, id: 'test pad', connected: true, mapping: 'standard', axes: [0, 0, 0, 0], buttons } };
    window.testPad.press = (i, down) => { buttons[i] = { pressed: down, touched: down, value: down ? 1 : 0 }; };
    navigator.getGamepads = () => (window.testPad.plugged ? [window.testPad.pad] : []);
  });
  await page.goto(base);
  await page.waitForFunction(() => Module.tolvaranPage.ready && Module.tolvaranPage.frames > 0,
    null, { timeout: 120000 });
  const splashMs = await page.evaluate(() => Module.tolvaranPage.firstFrameMs);
  console.log(JSON.stringify({ measure: 'page load to splash', ms: Math.round(splashMs) }));
  check(await page.evaluate(() => crossOriginIsolated), 'the page is isolated (shared memory for the game\'s threads)');
  const splash = await canvasPixels(page);

  await page.keyboard.press('Enter');
  // The level is built when the dump lists its platforms.
  await page.waitForFunction(async () => {
    const s = JSON.parse(await Module.dumpState());
    return s.PlatformList.length > 0 && s.MonsterList.length > 0;
  }, null, { timeout: 60000, polling: 250 });
  await page.waitForTimeout(1500);  // the level fades in
  const before = JSON.parse(await page.evaluate(() => Module.dumpState()));
  await page.keyboard.down('ArrowRight');
  await page.waitForTimeout(1000);
  await page.keyboard.up('ArrowRight');
  await page.waitForTimeout(300);
  await page.keyboard.press('z');
  await page.waitForTimeout(400);
  const after = JSON.parse(await page.evaluate(() => Module.dumpState()));
  const level = await canvasPixels(page);
  // TOLVARAN_WEB_SCREENSHOT=FILE.png keeps a picture of the whole page to look at.
  if (process.env.TOLVARAN_WEB_SCREENSHOT) await page.screenshot({ path: process.env.TOLVARAN_WEB_SCREENSHOT });

  check(after.PlatformList.length > 0 && after.MonsterList.length > 0 && after.stages.MainStage.length > 0,
    `the level is built (${after.PlatformList.length} platforms, ${after.MonsterList.length} monsters, ${after.stages.MainStage.length} stage objects)`);
  const moved = after.HeroRefs.heroX - before.HeroRefs.heroX;
  check(moved > 0 && moved % 3 === 0, `the hero moved right by a multiple of 3 (${before.HeroRefs.heroX} -> ${after.HeroRefs.heroX})`);
  check(level.distinctColours > 16 && level.hash !== splash.hash,
    `the canvas shows the level (${level.distinctColours} colours, differs from the splash)`);
  // The pad's d-pad walks as the arrow keys do (the SDL host's mapping: button 14 of the
  // standard layout is left; going right, the hero is blocked where the walk above ended).
  await page.evaluate(() => { testPad.plugged = true; testPad.press(14, true); });
  await page.waitForTimeout(600);
  await page.evaluate(() => testPad.press(14, false));
  await page.waitForTimeout(300);
  const padded = JSON.parse(await page.evaluate(() => Module.dumpState()));
  const padMoved = after.HeroRefs.heroX - padded.HeroRefs.heroX;
  check(padMoved > 0 && padMoved % 3 === 0, `the gamepad's d-pad walks the hero left (${after.HeroRefs.heroX} -> ${padded.HeroRefs.heroX})`);
  await page.evaluate(() => { testPad.plugged = false; });

  // The link under the stage (0, 467, 200 x 12 in the window) opens its page in a new tab.
  const box = await page.evaluate(() => {
    const r = document.getElementById('screen').getBoundingClientRect();
    return { x: r.left, y: r.top, scale: r.width / 640 };
  });
  const tab = context.waitForEvent('page', { timeout: 15000 }).catch(() => null);
  const asked = context.waitForEvent('request', {
    predicate: (r) => r.url().startsWith('http://t.test'), timeout: 15000,
  }).catch(() => null);
  await page.mouse.click(box.x + 60 * box.scale, box.y + 472 * box.scale);
  const [opened, request] = await Promise.all([tab, asked]);
  check(opened !== null && request !== null && request.frame().page() === opened,
    `the link opens its page in a new tab (${request ? request.url() : 'nothing asked for'})`);
  if (opened) await opened.close();
  const sound = await page.evaluate(() => Module.tolvaranPage.audio.state());
  check(sound === 'running', `the sound context is running (${sound})`);
  check(errors.length === 0, `no errors on the page ${errors.join('; ')}`);
  await page.close();
}

async function canvasPixels(page) {
  return page.evaluate(() => {
    const c = document.getElementById('screen');
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    const colours = new Set();
    let hash = 0;
    for (let i = 0; i < d.length; i += 4) {
      const v = (d[i] << 16) | (d[i + 1] << 8) | d[i + 2];
      colours.add(v);
      hash = (Math.imul(hash, 31) + v) | 0;
    }
    return { distinctColours: colours.size, hash };
  });
}

// ---- 2. the same runs headless, natively and in the page --------------------------------------
async function twoPlatforms() {
  const golden = path.join(root, 'tests', 'golden');
  const runs = [
    ['walk', 15000, { script: fs.readFileSync(path.join(golden, 'walk.txt'), 'utf8') }],
    ['fight', 40000, { script: fs.readFileSync(path.join(golden, 'fight.txt'), 'utf8') }],
    ['heal', 30000, { script: fs.readFileSync(path.join(golden, 'heal.txt'), 'utf8') }],
    ['seed1', 60000, { randomPlay: '1' }],
    ['seed2', 60000, { randomPlay: '2' }],
  ];
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'tolvaran-web-'));
  try {
    // TOLVARAN_WEB_RUNS=walk,seed1 plays only those (when looking into a difference).
    const only = (process.env.TOLVARAN_WEB_RUNS || '').split(',').filter(Boolean);
    for (const [name, ms, input] of runs) {
      if (only.length && !only.includes(name)) continue;
      const shots = [];
      for (let t = 5000; t <= ms; t += 5000) shots.push(t);
      const native = nativeRun(path.join(scratch, name), ms, shots, input);
      // The dump names the program's folder (the monsters' picture folders): the native
      // game's real folder, the page's "." (the root of its file system). That one text
      // is the page's in both.
      const folder = JSON.stringify(path.dirname(fs.realpathSync(nativeExe))).slice(1, -1);
      native['state.json'] = Buffer.from(native['state.json'].toString('latin1').split(folder).join('.'), 'latin1');
      const web = await pageRun(ms, shots, input);
      const names = Object.keys(native).sort();
      const same = names.length === Object.keys(web).length &&
        names.every((n) => web[n] && Buffer.compare(native[n], web[n]) === 0);
      const differ = names.filter((n) => !web[n] || Buffer.compare(native[n], web[n]) !== 0);
      // TOLVARAN_WEB_KEEP=DIR keeps both sides of a run that differs, to compare.
      if (!same && process.env.TOLVARAN_WEB_KEEP) {
        for (const [side, files] of [['native', native], ['web', web]]) {
          const dir = path.join(process.env.TOLVARAN_WEB_KEEP, name, side);
          fs.mkdirSync(dir, { recursive: true });
          for (const [f, bytes] of Object.entries(files)) fs.writeFileSync(path.join(dir, f), bytes);
        }
      }
      check(same && names.length === shots.length + 1,
        `${name}: dump and ${shots.length} screenshots byte-identical to the native build's${same ? '' : ' (differ: ' + differ.join(' ') + ')'}`);
    }
  } finally {
    fs.rmSync(scratch, { recursive: true, force: true });
  }
}

function nativeRun(dir, ms, shots, input) {
  fs.mkdirSync(dir, { recursive: true });
  const args = ['--headless', '--mute', '--run-for', String(ms), '--dump-state', path.join(dir, 'state.json')];
  for (const t of shots) args.push('--screenshot', `${t}:${path.join(dir, `${t}.png`)}`);
  if (input.script) {
    fs.writeFileSync(path.join(dir, 'script.txt'), input.script);
    args.push('--script', path.join(dir, 'script.txt'));
  }
  if (input.randomPlay) args.push('--random-play', input.randomPlay);
  const r = spawnSync(nativeExe, args, { env: { ...process.env, ASAN_OPTIONS: 'detect_leaks=0' } });
  if (r.status !== 0) throw new Error(`native run failed: ${r.stderr}`);
  const out = {};
  for (const f of fs.readdirSync(dir)) if (f !== 'script.txt') out[f] = fs.readFileSync(path.join(dir, f));
  return out;
}

async function pageRun(ms, shots, input) {
  const q = new URLSearchParams({ headless: '', mute: '', runFor: String(ms), dumpState: '', screenshot: shots.join(',') });
  if (input.script) q.set('script', input.script);
  if (input.randomPlay) q.set('randomPlay', input.randomPlay);
  const page = await context.newPage();
  await page.goto(`${base}?${q}`);
  await page.waitForFunction(() => Module.tolvaranPage.outputs !== null, null, { timeout: 300000 });
  const files = await page.evaluate(() => {
    const o = Module.tolvaranPage.outputs;
    const enc = {};
    for (const name of Object.keys(o)) {
      let s = '';
      for (let i = 0; i < o[name].length; i += 0x8000) s += String.fromCharCode.apply(null, o[name].subarray(i, i + 0x8000));
      enc[name] = btoa(s);
    }
    return enc;
  });
  await page.close();
  const out = {};
  for (const [name, b64] of Object.entries(files)) out[name] = Buffer.from(b64, 'base64');
  return out;
}

// ---- what the page costs to download -----------------------------------------------------------
let raw = 0, gz = 0;
for (const ext of ['html', 'js', 'wasm', 'data']) {
  const bytes = fs.readFileSync(path.join(webDir, `tolvaran.${ext}`));
  raw += bytes.length;
  gz += zlib.gzipSync(bytes, { level: 9 }).length;
}
const workerJs = path.join(webDir, 'tolvaran.worker.js');
if (fs.existsSync(workerJs)) {
  const bytes = fs.readFileSync(workerJs);
  raw += bytes.length;
  gz += zlib.gzipSync(bytes, { level: 9 }).length;
}
console.log(JSON.stringify({ measure: 'download', bytes: raw, gzipBytes: gz }));

if (failures) {
  console.error(`web: ${failures} check(s) failed`);
  process.exit(1);
}
console.log('web: all checks passed');
