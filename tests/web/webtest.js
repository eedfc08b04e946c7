// The web build played in Debian's headless Chromium (puppeteer-core, no
// downloaded browser): the page is opened with seed 1234 and the stepped
// clock, tests/web/scenario.txt is played with real key, mouse, gamepad and
// touch events, and every picture it names must equal the desktop oracle's
// (tessaril_webshots) pixel for pixel, text included, and the desktop's
// reference picture of the same name where there is one. Then the high score
// saved in the scenario must survive a reload of the page, and the console
// must have shown no error.
//   node webtest.js SITE SCENARIO ORACLE REFERENCES FAILUREDIR [bench]
// ORACLE holds NAME.ppm. A failing run keeps the page's pictures and a
// difference picture (differing pixels white) in FAILUREDIR. With "bench" it
// only measures the time from page load to the first title frame (real
// clock) and prints it.
'use strict';

const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const {execFileSync} = require('child_process');
const puppeteer = require('puppeteer-core');

const [site, scenarioPath, oracle, references, failureDir, mode] = process.argv.slice(2);
const W = 320;
const H = 240;
const PRESS_MS = 18;
const OPTIONS = '?seed=1234&clock=step';
const failures = [];
const logLines = []; // the page's console lines, errors left out

// --- pictures: RGB arrays of W x H

function parsePPM(data, what) {
  const header = data.toString('latin1', 0, 32).match(/^P6\s+(\d+)\s+(\d+)\s+255\s/);
  if (!header || +header[1] !== W || +header[2] !== H) throw new Error(what + ': not a 320x240 PPM');
  return data.subarray(header[0].length, header[0].length + W * H * 3);
}

const readPPM = file => parsePPM(fs.readFileSync(file), file);
const readPNG = file => parsePPM(execFileSync('convert', [file, '-depth', '8', 'ppm:-']), file);

function writePNG(file, rgb) {
  const ppm = Buffer.concat([Buffer.from(`P6\n${W} ${H}\n255\n`), Buffer.from(rgb)]);
  execFileSync('convert', ['ppm:-', file], {input: ppm});
}

// The 16-bit picture value of pixel i: the comparison ignores how the eight
// bits of a channel were filled from its five or six.
function pixel565(rgb, i) {
  return (rgb[3 * i] >> 3) << 11 | (rgb[3 * i + 1] >> 2) << 5 | rgb[3 * i + 2] >> 3;
}

// Pixels of a that differ from b.
function differ(a, b) {
  const diff = new Uint8Array(W * H * 3);
  let count = 0;
  for (let i = 0; i < W * H; i++) {
    if (pixel565(a, i) === pixel565(b, i)) continue;
    diff.fill(255, 3 * i, 3 * i + 3);
    count++;
  }
  return {count, diff};
}

// The pictures a shot must equal: the oracle's, and the reference picture of
// that name where there is one.
function expectedPictures(name) {
  const against = [['desktop', readPPM(path.join(oracle, name + '.ppm'))]];
  const reference = path.join(references, name + '.png');
  if (fs.existsSync(reference)) against.push([name + ' reference', readPNG(reference)]);
  return against;
}

function check(name, shown) {
  if (process.env.TESSARIL_WEB_KEEP) {
    fs.mkdirSync(failureDir, {recursive: true});
    writePNG(path.join(failureDir, `${name}-page.png`), shown);
  }
  for (const [what, expected] of expectedPictures(name)) {
    const {count, diff} = differ(shown, expected);
    console.log(`${name}: ${count} pixels differ from the ${what} picture`);
    if (count === 0) continue;
    const file = what.replace(/ /g, '-');
    fs.mkdirSync(failureDir, {recursive: true});
    writePNG(path.join(failureDir, `${name}-page.png`), shown);
    writePNG(path.join(failureDir, `${name}-${file}.png`), expected);
    writePNG(path.join(failureDir, `${name}-${file}-diff.png`), diff);
    failures.push(`${name}: ${count} pixels differ from the ${what} picture (${failureDir})`);
  }
}

// --- the page

function serve(root) {
  const types = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                 '.data': 'application/octet-stream'};
  const server = http.createServer((req, res) => {
    const name = decodeURIComponent(new URL(req.url, 'http://x').pathname).replace(/^\/$/, '/index.html');
    const file = path.join(root, path.normalize(name));
    if (!file.startsWith(path.resolve(root)) || !fs.existsSync(file)) {
      res.writeHead(404);
      return res.end();
    }
    res.writeHead(200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream'});
    fs.createReadStream(file).pipe(res);
  });
  return new Promise(resolve => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// Runs fn(...args) in the page like page.evaluate, but as no user gesture:
// puppeteer's evaluate is one, which would lift the browser's rule that a
// page's sound starts only after the player's first key, click or touch.
const sessions = new WeakMap();
async function quietly(page, fn, ...args) {
  if (!sessions.has(page)) sessions.set(page, await page.createCDPSession());
  const {result, exceptionDetails} = await sessions.get(page).send('Runtime.evaluate', {
    expression: `(${fn})(...${JSON.stringify(args)})`,
    awaitPromise: true, returnByValue: true, userGesture: false});
  if (exceptionDetails) throw new Error('in the page: ' + JSON.stringify(exceptionDetails));
  return result.value;
}

async function open(page, url) {
  await page.goto(url);
  for (let tries = 0; !(await quietly(page, () => !!window.Module && !!Module.tessarilStep)); tries++) {
    if (tries === 600) throw new Error('the page did not start');
    await new Promise(resolve => setTimeout(resolve, 50));
  }
  await quietly(page, () => document.getElementById('screen').focus());
}

async function canvasRGB(page) {
  const rgba = await page.evaluate(() => {
    const c = document.getElementById('screen');
    return Array.from(c.getContext('2d').getImageData(0, 0, c.width, c.height).data);
  });
  const rgb = new Uint8Array(W * H * 3);
  for (let i = 0; i < W * H; i++) rgb.set(rgba.slice(4 * i, 4 * i + 3), 3 * i);
  return rgb;
}

// Page coordinates of the middle of picture pixel (x, y).
async function pagePoint(page, x, y) {
  const r = await page.$eval('#screen', c => {
    const b = c.getBoundingClientRect();
    return {left: b.left, top: b.top, scale: b.width / c.width};
  });
  return [r.left + (x + 0.5) * r.scale, r.top + (y + 0.5) * r.scale];
}

// Grants the stepped clock ms; rejects when the game stops asking for time
// (it ended, or hangs).
async function step(page, ms) {
  const spent = await quietly(page, ms => Promise.race([
    Module.tessarilStep(ms).then(() => true),
    new Promise(resolve => setTimeout(() => resolve(false), 20000))]), ms);
  if (!spent) throw new Error(`the game stopped asking for time (${ms} ms granted)`);
}

// A gamepad in the browser's standard layout, whose buttons the test holds.
const PAD_BUTTONS = {south: 0, east: 1, west: 2, north: 3, back: 8, start: 9};
const fakePad = () => {
  window.tessarilPad = {buttons: Array.from({length: 17}, () => ({pressed: false})), axes: [0, 0, 0, 0]};
  navigator.getGamepads = () => [window.tessarilPad];
};
const holdPad = (page, button, down) =>
  page.evaluate((i, down) => { window.tessarilPad.buttons[i].pressed = down; }, button, down);

// --- touch: a finger on the touch screen, through the DevTools protocol's
// touch events (no mouse events, no taps made of clicks)

let touchScreen = null;

async function finger(page, type, points) {
  if (!touchScreen) {
    touchScreen = await page.createCDPSession();
    await touchScreen.send('Emulation.setTouchEmulationEnabled', {enabled: true, maxTouchPoints: 1});
  }
  const touchPoints = points.map(([x, y]) => ({x, y, id: 0}));
  await touchScreen.send('Input.dispatchTouchEvent', {type, touchPoints});
}

// Down at picture pixel (x, y), moved in steps to (x2, y2), held 18 ms, lifted.
async function swipe(page, x, y, x2, y2) {
  const [from, to] = [await pagePoint(page, x, y), await pagePoint(page, x2, y2)];
  await finger(page, 'touchStart', [from]);
  const moves = from.every((v, k) => v === to[k]) ? 0 : 4;
  for (let i = 1; i <= moves; i++)
    await finger(page, 'touchMove', [from.map((v, k) => v + (to[k] - v) * i / moves)]);
  await step(page, PRESS_MS);
  await finger(page, 'touchEnd', []);
  const scrolled = await page.evaluate(() => [window.scrollX, window.scrollY]);
  if (scrolled.some(v => v !== 0)) failures.push(`a swipe scrolled the page to ${scrolled}`);
}

async function play(page, line) {
  const [verb, a, b] = line;
  if (verb === 'tap') return swipe(page, +a, +b, +a, +b);
  if (verb === 'swipe') return swipe(page, +a, +b, +line[3], +line[4]);
  if (verb === 'run') return step(page, +a);
  if (verb === 'down') return page.keyboard.down(a);
  if (verb === 'up') return page.keyboard.up(a);
  if (verb === 'press') {
    await page.keyboard.down(a);
    await step(page, PRESS_MS);
    return page.keyboard.up(a);
  }
  if (verb === 'pad') {
    if (!(a in PAD_BUTTONS)) throw new Error('unknown pad button ' + a);
    await holdPad(page, PAD_BUTTONS[a], true);
    await step(page, PRESS_MS);
    return holdPad(page, PAD_BUTTONS[a], false);
  }
  if (verb === 'click') {
    const [x, y] = await pagePoint(page, +a, +b);
    await page.mouse.move(x, y);
    await page.mouse.down();
    await step(page, PRESS_MS);
    return page.mouse.up();
  }
  if (verb === 'shot') return check(a, await canvasRGB(page));
  if (verb === 'sound') return checkSound(page, a);
  throw new Error('unknown step: ' + line.join(' '));
}

// --- sound: the page's AudioContext and the mixer behind it

const SOUND_LOUD = 0.01; // a peak above this is heard
const RATE = 22050;
const soundState = page => quietly(page, () =>
  window.Module && Module.tessarilSound ? Module.tessarilSound.context.state : 'missing');

// The peak of each quarter of the next second of the page's output, read
// through an analyser on the page's graph (the audio context's own clock).
const quarterPeaks = page => page.evaluate(() => new Promise((resolve, reject) => {
  const {context, node} = Module.tessarilSound;
  const analyser = context.createAnalyser();
  node.connect(analyser);
  const data = new Float32Array(analyser.fftSize);
  const start = context.currentTime;
  const peaks = [0, 0, 0, 0];
  const stuck = setTimeout(() => reject(new Error('the audio clock stands still')), 10000);
  const look = () => {
    const quarter = Math.floor((context.currentTime - start) * 4);
    if (quarter >= 4) {
      clearTimeout(stuck);
      node.disconnect(analyser);
      return resolve(peaks);
    }
    analyser.getFloatTimeDomainData(data);
    for (const v of data) peaks[quarter] = Math.max(peaks[quarter], Math.abs(v));
    setTimeout(look, 20);
  };
  look();
}));

// The peak of the mixer's next ms, pulled by the test.
const pulledPeak = (page, ms) => page.evaluate(frames => {
  let peak = 0;
  for (let done = 0; done < frames; done += 1024)
    for (const channel of Module.tessarilSound.pull(1024))
      for (const v of channel) peak = Math.max(peak, Math.abs(v));
  return peak;
}, Math.round(ms * RATE / 1000));

// "sound suspended": the page's sound waits for the player's first gesture.
// "sound running": it runs, and a second of its output is heard throughout.
// "sound ends": the playing track is played out (the test pulls the mixer
// as fast as it goes). "sound next": a track plays and is heard.
async function checkSound(page, what) {
  if (what === 'suspended') {
    const state = await soundState(page);
    if (state !== 'suspended') failures.push(`the page's sound is ${state} before the first key`);
  } else if (what === 'running') {
    const runs = await page.waitForFunction(() => Module.tessarilSound.context.state === 'running',
                                            {timeout: 5000}).then(() => true, () => false);
    if (!runs) return failures.push(`the page's sound is ${await soundState(page)} after the first key`);
    const peaks = await quarterPeaks(page);
    console.log(`sound: peaks of a second's quarters ${peaks.map(p => p.toFixed(3)).join(' ')}`);
    if (peaks.some(p => p < SOUND_LOUD)) failures.push(`the page's sound is silent in a quarter of a second: ${peaks}`);
  } else if (what === 'ends') {
    const frames = await page.evaluate(limit => {
      let frames = 0;
      for (; Module.tessarilSound.musicPlaying() && frames < limit; frames += 1024)
        Module.tessarilSound.pull(1024);
      return Module.tessarilSound.musicPlaying() ? -1 : frames;
    }, 600 * RATE);
    console.log(`sound: the track ended after ${(frames / RATE).toFixed(1)} s more`);
    if (frames <= 0) failures.push(frames < 0 ? 'the music does not end' : 'no music played');
  } else if (what === 'next') {
    const playing = await page.evaluate(() => Module.tessarilSound.musicPlaying());
    const peak = await pulledPeak(page, 1000);
    if (!playing || peak < SOUND_LOUD) failures.push(`no next track after the end of one (peak ${peak})`);
  } else {
    throw new Error('unknown sound check ' + what);
  }
}

function scenario() {
  return fs.readFileSync(scenarioPath, 'utf8').split('\n')
      .map(l => l.replace(/#.*/, '').trim().split(/\s+/)).filter(l => l[0]);
}

// highscore.dat in the game's working folder, as bytes; empty when there is none.
const readTable = page => page.evaluate(() => {
  const name = '/tessaril/highscore.dat';
  return Module.FS.analyzePath(name).exists ? Array.from(Module.FS.readFile(name)) : [];
});

// The canvas at the largest whole scale of device pixels that fits,
// centred, following the window: desktop windows, then a phone (three device
// pixels to the CSS pixel) in portrait and in landscape; F11 the page's
// fullscreen, twice back again.
async function checkPage(page) {
  const sizes = [[1000, 760, 3, 1], [500, 300, 1, 1], [390, 844, 3, 3], [844, 390, 4, 3],
                 [800, 600, 2, 1]];
  for (const [w, h, scale, ratio] of sizes) {
    await page.setViewport({width: w, height: h, deviceScaleFactor: ratio});
    const [cw, ch] = [W * scale / ratio, H * scale / ratio];
    const want = [(w - cw) / 2, (h - ch) / 2, cw, ch];
    try {
      await page.waitForFunction(want => {
        const b = document.getElementById('screen').getBoundingClientRect();
        return [b.left, b.top, b.width, b.height].every((v, i) => Math.abs(v - want[i]) < 0.02);
      }, {timeout: 2000}, want);
    } catch (e) {
      failures.push(`a ${w} x ${h} page with ${ratio} device pixels to the CSS pixel does not show the ` +
                    `picture at scale ${scale}, centred`);
    }
  }
  const fullscreen = () => page.evaluate(() => document.fullscreenElement && document.fullscreenElement.id);
  await page.keyboard.press('F11');
  await page.waitForFunction(() => document.fullscreenElement, {timeout: 2000}).catch(() => {});
  const on = await fullscreen();
  await page.keyboard.press('F11');
  await page.waitForFunction(() => !document.fullscreenElement, {timeout: 2000}).catch(() => {});
  const off = await fullscreen();
  if (on !== 'game' || off) failures.push(`F11 showed ${on} in fullscreen, then ${off}`);
}

async function test(page, url) {
  await page.evaluateOnNewDocument(fakePad);
  await open(page, url);
  for (const line of scenario()) await play(page, line);
  await checkPage(page);
  const saved = await readTable(page);
  if (saved.length === 0) failures.push('the scenario saved no high score');
  await open(page, url);
  await step(page, 1500);
  const loaded = await readTable(page);
  console.log(`highscore.dat: ${saved.length} bytes saved, ${loaded.length} read back after a reload`);
  if (loaded.length === 0 || Buffer.compare(Buffer.from(saved), Buffer.from(loaded)) !== 0)
    failures.push('the high score table did not survive the reload');
  // A page has no program to end: after Escape and X on the title the game
  // still asks for time.
  try {
    for (const key of ['Escape', 'x']) await play(page, ['press', key]);
    await step(page, 36);
  } catch (e) {
    failures.push('the game ended on Escape or X on the title');
  }
}

// Page load to the first frame that shows the whole title, with or without
// a sound device.
async function bench(page, url) {
  const titles = ['title', 'title-silent'].map(n => Array.from(readPNG(path.join(references, n + '.png'))));
  await page.evaluateOnNewDocument((titles, w, h) => {
    window.tessarilTitleAt = new Promise(resolve => {
      const same = (d, expected) => {
        for (let i = 0; i < w * h; i++)
          if ((d[4 * i] >> 3) !== (expected[3 * i] >> 3) ||
              (d[4 * i + 1] >> 2) !== (expected[3 * i + 1] >> 2) ||
              (d[4 * i + 2] >> 3) !== (expected[3 * i + 2] >> 3)) return false;
        return true;
      };
      const look = () => {
        const c = document.getElementById('screen');
        const d = c && c.getContext('2d').getImageData(0, 0, w, h).data;
        if (d && titles.some(t => same(d, t))) resolve(performance.now());
        else requestAnimationFrame(look);
      };
      requestAnimationFrame(look);
    });
  }, titles, W, H);
  await page.goto(url);
  const ms = await page.evaluate(() => window.tessarilTitleAt);
  console.log(`BENCH web_start_to_title_ms=${Math.round(ms)}`);
}

(async () => {
  const server = await serve(site);
  const url = `http://127.0.0.1:${server.address().port}/`;
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tessaril-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage'],
  });
  const consoleErrors = [];
  try {
    const page = await browser.newPage();
    await page.setViewport({width: 800, height: 600});
    page.on('console', m => (m.type() === 'error' ? consoleErrors : logLines).push(m.text()));
    page.on('pageerror', e => consoleErrors.push(String(e)));
    if (mode === 'bench') await bench(page, url);
    else await test(page, url + OPTIONS);
    if (failures.length) await page.screenshot({path: path.join(failureDir, 'page.png')}).catch(() => {});
  } catch (e) {
    failures.push(String(e.stack || e));
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(profile, {recursive: true, force: true});
  }
  console.log('page log: ' + JSON.stringify([...new Set(logLines)]));
  for (const e of consoleErrors) failures.push('console error: ' + e);
  if (failures.length) {
    console.error('web test FAILED:\n  ' + failures.join('\n  '));
    process.exit(1);
  }
  console.log(mode === 'bench' ? 'web bench done' : 'web test passed');
})();
