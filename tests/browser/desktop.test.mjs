// The live page of `vistrel-desktop --serve` in headless Chromium: the
// visitor's mouse rests on Safari and App Exposé shows, in the picture and
// in the trace; the status menu opens the settings window; the session,
// downloaded, replays in vistrel-desktop to the trace the page showed.
//
// VISTREL_DESKTOP names the program (default build/ci/vistrel-desktop);
// VISTREL_BROWSER_OUT the folder for the screenshot and the session
// (default build/ci/browser).
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawn } from "node:child_process";
import { mkdirSync, mkdtempSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { chromium } from "playwright-core";

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");
const desktop = process.env.VISTREL_DESKTOP ?? path.join(root, "build/ci/vistrel-desktop");
const outDir = process.env.VISTREL_BROWSER_OUT ?? path.join(root, "build/ci/browser");
const step = 15_000; // the longest wait for any one thing to show

let server;
let browser;
let profile;

// Starts the server on a free port; resolves with its address once it says
// where it listens.
function startServer() {
  return new Promise((resolve, reject) => {
    const child = spawn(desktop, ["--serve", "--port", "0"], {
      stdio: ["ignore", "ignore", "pipe"],
    });
    let said = "";
    const timer = setTimeout(() => {
      child.kill("SIGKILL");
      reject(new Error("the server did not start: " + said));
    }, 30_000);
    child.stderr.setEncoding("utf8");
    child.stderr.on("data", (chunk) => {
      said += chunk;
      const m = said.match(/serving (http:\/\/127\.0\.0\.1:\d+\/\?token=[0-9a-f]{64})\n/);
      if (m) {
        clearTimeout(timer);
        resolve({ child, url: m[1], stderr: () => said });
      }
    });
    child.on("error", (err) => {
      clearTimeout(timer);
      reject(err);
    });
    child.on("exit", (code) => {
      clearTimeout(timer);
      reject(new Error(`the server ended (${code}): ${said}`));
    });
  });
}

function stopServer(child) {
  return new Promise((resolve) => {
    if (child.exitCode !== null || child.signalCode !== null) return resolve();
    const force = setTimeout(() => child.kill("SIGKILL"), 10_000);
    child.once("exit", () => {
      clearTimeout(force);
      resolve();
    });
    child.kill("SIGTERM");
  });
}

async function traceOf(page) {
  return (await page.locator("#trace").textContent()) ?? "";
}

async function waitForTrace(page, text) {
  await page.waitForFunction(
    (t) => document.getElementById("trace").textContent.includes(t),
    text,
    { timeout: step },
  );
}

async function centreOf(locator) {
  const box = await locator.boundingBox();
  assert.ok(box, "the element has no box");
  return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
}

before(async () => {
  mkdirSync(outDir, { recursive: true });
  server = await startServer();
  profile = mkdtempSync(path.join(tmpdir(), "vistrel-chromium-"));
  browser = await chromium.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    args: [
      "--no-sandbox",
      "--disable-gpu",
      "--disable-quic",
      "--no-first-run",
      "--disable-background-networking",
      "--disable-component-update",
      "--disable-sync",
    ],
  });
});

after(async () => {
  await browser?.close();
  if (server) await stopServer(server.child);
  if (profile) rmSync(profile, { recursive: true, force: true });
});

test("the visitor drives the agent on the live desktop, and the session replays", async () => {
  const context = await browser.newContext({
    viewport: { width: 1600, height: 1000 },
    acceptDownloads: true,
  });
  const page = await context.newPage();
  const problems = [];
  page.on("pageerror", (err) => problems.push(String(err)));
  await page.goto(server.url);
  await page.locator("#view svg #dock .dockitem").first().waitFor({ timeout: step });
  // The secret leaves the address bar as soon as the page has it.
  assert.equal(new URL(page.url()).search, "");

  // Resting on Safari's icon: the agent asks the Dock for App Exposé.
  const safari = await centreOf(page.locator('.dockitem[data-title="Safari"] .icon'));
  await page.mouse.move(safari.x, safari.y);
  await page.locator('#appexpose[data-app="Safari"]').waitFor({ timeout: step });
  await waitForTrace(page, 'ax.action AXShowExpose "Safari" 0');

  // The status item opens the agent's menu; "Preferences..." the settings.
  await page.locator("#statusitem").click();
  await page.locator('#statusmenu .menuitem[data-title="Preferences..."]').click();
  const settings = page.locator('.window[data-name="SettingsController"][data-front="true"]');
  await settings.waitFor({ timeout: step });
  await waitForTrace(page, 'window.show "SettingsController"');

  // A checkbox of the frontmost window follows the visitor's click.
  await settings.locator('.checkbox[data-title="Open stacks on hover"]').click();
  await page
    .locator('.checkbox[data-title="Open stacks on hover"][data-checked="true"]')
    .waitFor({ timeout: step });
  await waitForTrace(page, "defaults.write ActivateStackOnHover bool true");

  await page.screenshot({ path: path.join(outDir, "desktop.png") });

  // Paused, with the mouse off the picture, the trace stands still: the
  // page has shown all of it once it matches the server's.
  await page.locator("#pause").click();
  await page.locator('body[data-paused="true"]').waitFor({ timeout: step });
  // The page's own requests carry the token the server printed; one
  // without it is refused.
  const address = new URL(server.url);
  const token = address.searchParams.get("token");
  assert.equal((await fetch(address.origin + "/trace")).status, 403);
  const served = await (await fetch(`${address.origin}/trace?token=${token}`)).text();
  await page.waitForFunction(
    (t) => document.getElementById("trace").textContent === t,
    served,
    { timeout: step },
  );
  const shown = await traceOf(page);

  const [download] = await Promise.all([
    page.waitForEvent("download", { timeout: step }),
    page.locator("#download").click(),
  ]);
  const session = path.join(outDir, "session.scn");
  await download.saveAs(session);
  const replayed = execFileSync(desktop, [session], { encoding: "utf8", timeout: 60_000 });
  assert.equal(replayed, shown);
  // Four newer event streams take the page's place: it says so, tries
  // again and is back, closing the oldest of them in its turn.
  const held = [];
  for (let i = 0; i < 4; i++) {
    const stop = new AbortController();
    held.push(stop);
    await fetch(`${address.origin}/events?token=${token}`, { signal: stop.signal });
  }
  await page.locator('body[data-connection="lost"]').waitFor({ timeout: step });
  await page.locator('body[data-connection="open"]').waitFor({ timeout: step });
  for (const stop of held) stop.abort();
  assert.deepEqual(problems, []);

  // Opened without the secret, the page says where to find it.
  const bare = await context.newPage();
  await bare.goto(address.origin + "/");
  await bare.locator('body[data-connection="no-token"]').waitFor({ timeout: step });
  assert.match(await bare.locator("#status").textContent(), /address that vistrel-desktop printed/);
  await context.close();
});
