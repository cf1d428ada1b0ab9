// Connects to the host, asks for the target list, subscribes to events and reports every message
// the host sent to the test's own server on 127.0.0.1 (its port is in config.json, written by the
// test) once the answer and the first pushed picture have arrived, or when the port closes.
const received = [];
let reported = false;

async function report(outcome) {
  if (reported) return;
  reported = true;
  const config = await (await fetch(chrome.runtime.getURL("config.json"))).json();
  await fetch(`http://127.0.0.1:${config.port}/result`, {
    method: "POST",
    body: JSON.stringify({ outcome, received }),
  });
}

function complete() {
  const types = received.map((message) => message.type);
  return types.filter((type) => type === "targets.state").length >= 2 &&
    types.includes("allow.state");
}

const port = chrome.runtime.connectNative("app.quorvel.native");
port.onMessage.addListener((message) => {
  received.push(message);
  if (complete()) report("complete");
});
port.onDisconnect.addListener(() => {
  report("disconnected: " + (chrome.runtime.lastError ? chrome.runtime.lastError.message : ""));
});
port.postMessage({ type: "targets.sync", profileId: "browser-test" });
port.postMessage({ type: "events.subscribe", profileId: "browser-test" });
