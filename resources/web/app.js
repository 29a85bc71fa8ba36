// The live page: shows the desktop's picture and trace as the server
// publishes them, and turns the visitor's mouse, keys and buttons into
// scenario commands, sent one at a time and in order.
"use strict";

// The server's secret for this run comes in the address it printed
// (?token=...). It is kept here only, for the page's own requests, and
// taken out of the address bar, where history and screenshots would keep it.
const token = takeToken();
const view = document.getElementById("view");
const traceBox = document.getElementById("trace");
const statusLine = document.getElementById("status");

function takeToken() {
  const params = new URLSearchParams(location.search);
  const found = params.get("token") || "";
  if (params.has("token")) {
    params.delete("token");
    const rest = params.toString();
    history.replaceState(history.state, "", location.pathname + (rest ? "?" + rest : "") + location.hash);
  }
  return found;
}

function withToken(path) {
  return path + (path.includes("?") ? "&" : "?") + "token=" + encodeURIComponent(token);
}

// ---- What the server publishes -------------------------------------------

let traceCount = 0;
let state = {};
// Page-only state: a menu the visitor opened in the picture.
let statusMenuOpen = false;
let openPopupKey = null;

function showState(s) {
  state = s;
  document.getElementById("time").textContent = s.time;
  document.getElementById("pause").textContent = s.paused ? "Resume" : "Pause";
  const speed = document.getElementById("speed");
  if ([...speed.options].some((o) => Number(o.value) === s.speed)) speed.value = String(s.speed);
  document.getElementById("trace-count").textContent = `(${s.traceLines} lines)`;
  document.body.dataset.paused = s.paused ? "true" : "false";
  document.body.dataset.time = s.time;
  document.body.dataset.full = s.fullBecause || "";
  showOutputNote(s.outputDropped || 0);
  if (s.fullBecause === "time")
    say(`The clock stopped at ${s.time} s, the longest a scenario lasts: download the session.`);
  else if (s.full) say("The session is full: download it.");
}

// Lines the server's standard output and error did not take (nobody reads
// them): this page, /trace and the download still have everything.
function showOutputNote(dropped) {
  const note = document.getElementById("output-note");
  document.body.dataset.outputDropped = String(dropped);
  note.hidden = dropped === 0;
  note.textContent = dropped === 0 ? "" :
    `${dropped} lines were not printed by vistrel-desktop: its output is not being read. ` +
    "The trace here and the downloaded session are whole.";
}

function showPicture(svgText) {
  view.innerHTML = svgText;
  reopenMenus();
}

function appendTrace(from, lines) {
  if (from !== traceCount) {
    // Out of step (a reconnection): start over from what the server sent.
    if (from !== 0) return false;
    traceBox.textContent = "";
    traceCount = 0;
  }
  if (lines.length === 0) return true;
  const atBottom = traceBox.scrollTop + traceBox.clientHeight >= traceBox.scrollHeight - 4;
  traceBox.append(lines.join("\n") + "\n");
  traceCount += lines.length;
  if (atBottom) traceBox.scrollTop = traceBox.scrollHeight;
  return true;
}

// The stream may end: the server stopped, or a page opened later took its
// place. The page tries again, waiting longer each time up to a bound, and
// says so meanwhile.
const retryFirst = 500, retryMost = 10000;
let retryDelay = retryFirst;
let lostSaid = false;

function connect() {
  // EventSource cannot send headers: the token goes in the query.
  const events = new EventSource(withToken("/events"));
  events.onopen = () => {
    traceBox.textContent = "";
    traceCount = 0;
    retryDelay = retryFirst;
    document.body.dataset.connection = "open";
    if (lostSaid) say("Connected to the server again.", true);
    lostSaid = false;
  };
  events.onmessage = (e) => {
    const update = JSON.parse(e.data);
    if (update.svg !== undefined) showPicture(update.svg);
    if (!appendTrace(update.from, update.lines)) {
      events.close();
      setTimeout(connect, 100);
    }
    showState(update.state);
  };
  events.onerror = () => {
    events.close();
    const seconds = Math.round(retryDelay / 100) / 10;
    say(`Lost the connection to the server (stopped, or another page took its place); ` +
        `trying again in ${seconds} s. If it keeps failing, open the address that vistrel-desktop printed.`);
    lostSaid = true;
    document.body.dataset.connection = "lost";
    setTimeout(connect, retryDelay);
    retryDelay = Math.min(retryMost, retryDelay * 2);
  };
}

// ---- Commands --------------------------------------------------------------

const queue = [];
let sending = false;

function say(message, ok) {
  statusLine.textContent = message;
  statusLine.className = ok ? "ok" : "";
}

function quote(s) {
  return '"' + s.replace(/[\\"]/g, (c) => "\\" + c) + '"';
}

// Pointer moves coalesce: only the latest waiting one is sent.
function send(line, path = "/command") {
  const last = queue[queue.length - 1];
  if (last && last.path === path && last.line.startsWith("pointer ") && line.startsWith("pointer "))
    last.line = line;
  else
    queue.push({ line, path });
  pump();
}

async function pump() {
  if (sending || queue.length === 0) return;
  sending = true;
  const item = queue[0];
  try {
    const res = await fetch(item.path, {
      method: "POST",
      body: item.line,
      headers: { Authorization: "Bearer " + token },
    });
    if (res.status === 429) {
      // Over the rate: the same line goes again shortly.
      await new Promise((r) => setTimeout(r, 250));
    } else {
      queue.shift();
      if (!res.ok) say(await res.text());
      else if (!item.line.startsWith("pointer ")) say(item.line, true);
    }
  } catch (err) {
    queue.shift();
    say("The server does not answer: " + err);
  }
  sending = false;
  pump();
}

// ---- The picture's coordinates ---------------------------------------------

function svgRoot() {
  return view.querySelector("svg");
}

// The Cocoa point under a mouse event: the picture keeps x and flips y
// about its data-top.
function cocoaPoint(e) {
  const svg = svgRoot();
  if (!svg) return null;
  const pt = svg.createSVGPoint();
  pt.x = e.clientX;
  pt.y = e.clientY;
  const p = pt.matrixTransform(svg.getScreenCTM().inverse());
  return { svgX: p.x, x: Math.round(p.x), y: Math.round(Number(svg.dataset.top) - p.y) };
}

let lastPointer = "";
function movePointer(e) {
  const p = cocoaPoint(e);
  if (!p) return;
  const line = `pointer ${p.x} ${p.y}`;
  if (line === lastPointer) return;
  lastPointer = line;
  send(line);
}

// ---- Modifier keys -------------------------------------------------------

let lastModifiers = "none";
function sendModifiers(e) {
  const held = [];
  if (e.shiftKey) held.push("shift");
  if (e.ctrlKey) held.push("control");
  if (e.altKey) held.push("option");
  if (e.metaKey) held.push("command");
  const keys = held.length ? held.join("+") : "none";
  if (keys === lastModifiers) return;
  lastModifiers = keys;
  send(`modifiers ${keys}`);
}

function typing(e) {
  return e.target instanceof HTMLInputElement || e.target instanceof HTMLSelectElement;
}

window.addEventListener("keydown", (e) => {
  if (typing(e)) return;
  if (["Shift", "Control", "Alt", "Meta"].includes(e.key)) e.preventDefault();
  sendModifiers(e);
});
window.addEventListener("keyup", (e) => sendModifiers(e));
window.addEventListener("blur", () => {
  if (lastModifiers !== "none") {
    lastModifiers = "none";
    send("modifiers none");
  }
});

// ---- Clicks on the picture -------------------------------------------------

function reopenMenus() {
  const menu = view.querySelector("#statusmenu");
  if (menu) menu.setAttribute("visibility", statusMenuOpen ? "visible" : "hidden");
  view.querySelector("#statusitem")?.classList.toggle("open", statusMenuOpen);
  for (const popup of view.querySelectorAll(".popup")) {
    const open = popup.dataset.key === openPopupKey;
    popup.querySelector(".popup-menu")?.setAttribute("visibility", open ? "visible" : "hidden");
  }
}

function closeMenus() {
  statusMenuOpen = false;
  openPopupKey = null;
  reopenMenus();
}

function sliderValue(slider, svgX) {
  const x0 = Number(slider.dataset.trackX0), x1 = Number(slider.dataset.trackX1);
  const min = Number(slider.dataset.min), max = Number(slider.dataset.max);
  const t = Math.min(1, Math.max(0, (svgX - x0) / (x1 - x0)));
  return Math.round((min + t * (max - min)) * 20) / 20;
}

// A click inside the frontmost window of the agent: its controls.
function clickWindow(target, windowElement, point) {
  if (windowElement.dataset.front !== "true") {
    say("Only the frontmost window takes clicks; close the one in front first.");
    return;
  }
  const popupItem = target.closest(".popup-item");
  const popup = target.closest(".popup");
  if (popupItem && popup && popup.dataset.key === openPopupKey) {
    send(`defaults ${popup.dataset.key} int ${popupItem.dataset.value}`);
    closeMenus();
    return;
  }
  closeMenus();
  if (target.closest(".close-button")) return send("close");
  const button = target.closest(".button");
  if (button) return send(`button ${quote(button.dataset.title)}`);
  const box = target.closest(".checkbox");
  if (box) return send(`check ${quote(box.dataset.title)} ${box.dataset.checked === "true" ? "off" : "on"}`);
  if (popup) {
    openPopupKey = popup.dataset.key;
    reopenMenus();
    return;
  }
  const slider = target.closest(".slider");
  if (slider) send(`defaults ${slider.dataset.key} float ${sliderValue(slider, point.svgX)}`);
  // Elsewhere on the agent's own window a click goes to the agent alone.
}

view.addEventListener("mousemove", movePointer);

// Presses act at once: the picture is redrawn as the pointer moves, so the
// element under a press may be gone by the time the button comes up.
function press(e) {
  const point = cocoaPoint(e);
  if (!point) return;
  movePointer(e);
  sendModifiers(e);
  const target = e.target;
  const entry = target.closest("#statusmenu .menuitem");
  if (entry && statusMenuOpen) {
    closeMenus();
    return send(`menu ${quote(entry.dataset.title)}`);
  }
  if (target.closest(".statusitem")) {
    const wasOpen = statusMenuOpen;
    closeMenus();
    statusMenuOpen = !wasOpen;
    reopenMenus();
    return;
  }
  const windowElement = target.closest(".window");
  if (windowElement) return clickWindow(target, windowElement, point);
  if (statusMenuOpen || openPopupKey) return closeMenus();
  send("click");
}

view.addEventListener("mousedown", (e) => {
  if (e.button === 0) {
    e.preventDefault();
    press(e);
  } else if (e.button === 2) {
    movePointer(e);
    sendModifiers(e);
    closeMenus();
    send("rightclick");
  }
});
view.addEventListener("contextmenu", (e) => e.preventDefault());

// ---- Buttons of the page -----------------------------------------------------

for (const b of document.querySelectorAll("#world button[data-command]"))
  b.addEventListener("click", () => send(b.dataset.command));

document.getElementById("screens-form").addEventListener("submit", (e) => {
  e.preventDefault();
  send("screens " + document.getElementById("screens").value);
});

document.getElementById("command-form").addEventListener("submit", (e) => {
  e.preventDefault();
  const input = document.getElementById("command");
  if (input.value.trim()) send(input.value.trim());
});

document.getElementById("pause").addEventListener("click", () =>
  send(state.paused ? "resume" : "pause", "/clock"));
document.getElementById("step").addEventListener("click", () => send("step", "/clock"));
document.getElementById("speed").addEventListener("change", (e) =>
  send(`speed ${e.target.value}`, "/clock"));

if (token) {
  document.getElementById("download").href = withToken("/session.scn");
  connect();
} else {
  document.body.dataset.connection = "no-token";
  say("This page needs the address that vistrel-desktop printed when it started " +
      "(http://127.0.0.1:PORT/?token=...): open that address.");
}
